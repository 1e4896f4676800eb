// A library that only a plant provides: a name no system has.
extern "C" __declspec(dllexport) int vxPlanted() {
    return 7;
}
