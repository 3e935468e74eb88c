// TestViewer.cpp - test_viewer.exe, the tests' "program that opens PDF
// files" (tests/support/TestViewer.h registers it): it copies the file it is
// given to the folder that DEVICEIPP_VIEWED names (the variable reaches it
// from the program that opened the file) as viewed-<n>.pdf, writes the
// path it was given to viewed-<n>.txt, and ends at once, so a test sees what
// the device service showed and no viewer is left running.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    const char* folder = getenv("DEVICEIPP_VIEWED");
    if (argc < 2 || folder == NULL || *folder == '\0')
        return 2;
    for (int n = 1; n < 1000; ++n) {
        char target[MAX_PATH];
        char note[MAX_PATH];
        _snprintf(target, sizeof(target), "%s\\viewed-%d.pdf", folder, n);
        target[sizeof(target) - 1] = '\0';
        if (!CopyFileA(argv[1], target, TRUE)) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return 3;
        }
        _snprintf(note, sizeof(note), "%s\\viewed-%d.txt", folder, n);
        note[sizeof(note) - 1] = '\0';
        FILE* file = fopen(note, "wb");
        if (file != NULL) {
            fputs(argv[1], file);
            fclose(file);
        }
        return 0;
    }
    return 4;
}
