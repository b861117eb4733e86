// Stands in for the vendor's installer in the smoke test: writes the folder
// it was started in to "instalador-ejecutado.txt" in that folder and ends.

#include <windows.h>

#include <cstdio>

int main() {
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    std::FILE* file = std::fopen("instalador-ejecutado.txt", "wb");
    if (!file) {
        return 1;
    }
    std::fprintf(file, "%s\n", folder);
    return std::fclose(file) == 0 ? 0 : 1;
}
