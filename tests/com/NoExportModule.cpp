// A loadable module that is no component: it lacks DllGetClassObject.

extern "C" __attribute__((visibility("default"))) int QuillmereTestModuleAnswer() {
    return 42;
}
