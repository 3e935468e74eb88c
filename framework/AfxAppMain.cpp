// AfxAppMain.cpp - WinMain for programs built on the framework. Kept in its
// own file so that programs with a main() of their own (the tests) do not
// pull it in.
#include "framework/AfxApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
