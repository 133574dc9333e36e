/* Prints the screen rectangle ("left top right bottom") of the first visible top-level window of
   the given class on the Wine desktop "VeskReminder", or of its client area with "-c", for
   scripts/screens, which clicks and shoots from outside Wine. Exit code 1 when there is no such
   window. */
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    int client = argc > 2 && lstrcmpW(argv[1], L"-c") == 0;
    const wchar_t* cls = argv[argc - 1];
    if (argc < 2) return 2;
    /* The program runs on the virtual desktop; a process started apart lands on another one. */
    HDESK desk = OpenDesktopW(L"VeskReminder", 0, FALSE, GENERIC_ALL);
    if (desk) SetThreadDesktop(desk);
    for (HWND w = FindWindowExW(NULL, NULL, cls, NULL); w; w = FindWindowExW(NULL, w, cls, NULL)) {
        if (!IsWindowVisible(w)) continue;
        RECT r;
        if (client) {
            POINT o = {0, 0};
            GetClientRect(w, &r);
            ClientToScreen(w, &o);
            OffsetRect(&r, o.x, o.y);
        } else {
            GetWindowRect(w, &r);
        }
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    return 1;
}
