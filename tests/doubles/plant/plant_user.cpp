// A library that imports from the planted one, to test where a loaded library's
// own dependencies are looked for.
extern "C" __declspec(dllimport) int vxPlanted();

extern "C" __declspec(dllexport) int vxUsesPlant() {
    return vxPlanted();
}
