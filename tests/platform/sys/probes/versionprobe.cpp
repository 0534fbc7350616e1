// A library whose only purpose is to carry version information.
extern "C" int VersionProbe() {
    return 1;
}
