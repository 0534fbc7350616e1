// A library that loads but has no peer block.
extern "C" int NotAPeerBlock() {
    return 0;
}
