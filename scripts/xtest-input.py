#!/usr/bin/env python3
# Synthetic mouse input through the X server's XTEST extension, for the screenshot scripts.
# Steps: "x,y" clicks there, "m:x,y" only moves the mouse there, "w:s" waits s seconds.
# Usage: scripts/xtest-input.py STEP...   (on the display that DISPLAY names)
import ctypes
import sys
import time

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
display = x11.XOpenDisplay(None)
for step in sys.argv[1:]:
    if step.startswith("w:"):
        time.sleep(float(step[2:]))
        continue
    move = step.startswith("m:")
    x, y = (int(v) for v in step[2 if move else 0:].split(","))
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    x11.XFlush(display)
    time.sleep(0.2)
    if move:
        continue
    for down in (1, 0):
        xtst.XTestFakeButtonEvent(display, 1, down, 0)
        x11.XFlush(display)
        time.sleep(0.05)
    time.sleep(0.6)
