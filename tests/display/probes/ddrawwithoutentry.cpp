// A library named as DirectDraw's that exports something else: what a
// broken or foreign ddraw.dll looks like to the display code.
extern "C" __attribute__((visibility("default"))) int NotDirectDrawCreate() {
    return 0;
}
