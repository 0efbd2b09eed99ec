// A shared library that is no pane: it exports no factory.
extern "C" __attribute__((visibility("default"))) int nimbrelNotAPane() {
    return 0;
}
