/* Helper of scripts/screens, which clicks and shoots from outside Wine. On the Wine desktop
   "VeskReminder", for the first visible top-level window of the given class:
     winrect CLASS              prints its screen rectangle "left top right bottom";
     winrect -c CLASS           the same for its client area;
     winrect -s FILE CLASS      saves what the window shows (frame and client, from the window's own
                                device context) as a 24-bit BMP file and prints its rectangle.
   Exit code 1 when there is no such window. */
#include <windows.h>
#include <stdio.h>

static int SaveWindow(HWND w, const wchar_t* file, const RECT* r) {
    const int width = r->right - r->left, height = r->bottom - r->top;
    HDC wdc = GetWindowDC(w), mdc = CreateCompatibleDC(wdc);
    BITMAPINFO bi = {0};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height; /* bottom-up, as BMP files keep rows */
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = NULL;
    HBITMAP bmp = CreateDIBSection(mdc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(mdc, bmp);
    BitBlt(mdc, 0, 0, width, height, wdc, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((DWORD)width * 3 + 3) & ~3u, size = stride * (DWORD)height;
    BITMAPFILEHEADER fh = {0};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    FILE* f = _wfopen(file, L"wb");
    int ok = f != NULL;
    if (f) {
        fwrite(&fh, sizeof(fh), 1, f);
        fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
        fwrite(bits, 1, size, f);
        fclose(f);
    }
    SelectObject(mdc, old);
    DeleteObject(bmp);
    DeleteDC(mdc);
    ReleaseDC(w, wdc);
    return ok;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    int client = lstrcmpW(argv[1], L"-c") == 0;
    const wchar_t* save = argc > 3 && lstrcmpW(argv[1], L"-s") == 0 ? argv[2] : NULL;
    const wchar_t* cls = argv[argc - 1];
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
        if (save && !SaveWindow(w, save, &r)) return 3;
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    return 1;
}
