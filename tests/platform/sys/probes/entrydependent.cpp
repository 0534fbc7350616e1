// A library without an entry point of its own that needs the entry probe:
// loading it must not run the probe's entry point.
extern "C" int EntryProbeValue();

extern "C" int EntryDependentValue() {
    return EntryProbeValue() + 1;
}
