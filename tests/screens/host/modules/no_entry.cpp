// A module that is not a screen library: it exports something, but not the entry.
extern "C" __attribute__((visibility("default"))) int some_other_entry() {
    return 0;
}
