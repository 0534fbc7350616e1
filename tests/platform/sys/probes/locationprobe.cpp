// A library built into several directories under one name; each copy says
// where it was put, so the tests see which one the search found.
extern "C" const char* ProbeLocation() {
    return PROBE_LOCATION;
}
