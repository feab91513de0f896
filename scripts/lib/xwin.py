"""The few Xlib calls the monkey needs, through ctypes: the program's top-level windows, their
titles and geometry, the focus, a _NET_WM_PING round trip, WM_DELETE_WINDOW, and clearing a
selection. Input itself goes through xdotool."""
import ctypes
import os
import select
import time

Window = ctypes.c_ulong
Atom = ctypes.c_ulong
XA_ATOM = 4
XA_WINDOW = 33
XA_CARDINAL = 6
IS_VIEWABLE = 2
CLIENT_MESSAGE = 33
STRUCTURE_NOTIFY_MASK = 1 << 17
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", Window), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", XClientMessageEvent),
                ("pad", ctypes.c_long * 24)]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
IO_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)


class TopLevel:
    def __init__(self, wid, title, kinds, x, y, width, height, override, transient_for):
        self.wid, self.title, self.kinds = wid, title, kinds
        self.x, self.y, self.width, self.height = x, y, width, height
        self.override = override  # menus, tool tips, completer lists
        self.transient_for = transient_for

    def __repr__(self):
        return f"{self.title or '?'}@{self.x},{self.y},{self.width}x{self.height}"


class Display:
    def __init__(self, name, lost=None):
        """lost() is called before the process ends when the server goes away."""
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        x = self.x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = Window
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XInternAtom.restype = Atom
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window),
                                 ctypes.POINTER(Window), ctypes.POINTER(ctypes.POINTER(Window)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window,
                                           ctypes.POINTER(XWindowAttributes)]
        x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, Window, Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, Atom,
            ctypes.POINTER(Atom), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XGetAtomName.restype = ctypes.c_void_p
        x.XGetAtomName.argtypes = [ctypes.c_void_p, Atom]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long,
                                 ctypes.POINTER(XEvent)]
        x.XSelectInput.argtypes = [ctypes.c_void_p, Window, ctypes.c_long]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(Window),
                                     ctypes.POINTER(ctypes.c_int)]
        x.XSetSelectionOwner.argtypes = [ctypes.c_void_p, Atom, Window, ctypes.c_ulong]
        x.XGetSelectionOwner.restype = Window
        x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, Atom]
        # A window may go between listing it and asking about it: errors are not fatal.
        self.errors = 0

        def on_error(_display, _event):
            self.errors += 1
            return 0

        def on_io_error(_display):
            if lost:
                lost()
            return 0  # Xlib then ends the process

        self._handler = ERROR_HANDLER(on_error)
        x.XSetErrorHandler(self._handler)
        self._io_handler = IO_ERROR_HANDLER(on_io_error)
        x.XSetIOErrorHandler(self._io_handler)
        self.d = x.XOpenDisplay(name.encode())
        if not self.d:
            raise RuntimeError(f"cannot open display {name}")
        self.root = x.XDefaultRootWindow(self.d)
        self.atoms = {}
        self.names = {}
        # Answers to pings come back to the root window; without StructureNotify the server
        # does not pass them on.
        x.XSelectInput(self.d, self.root, STRUCTURE_NOTIFY_MASK | SUBSTRUCTURE_NOTIFY_MASK)
        x.XFlush(self.d)
        self.ping_serial = 0

    def atom(self, name):
        if name not in self.atoms:
            self.atoms[name] = self.x.XInternAtom(self.d, name.encode(), 0)
        return self.atoms[name]

    def atom_name(self, atom):
        if atom not in self.names:
            data = self.x.XGetAtomName(self.d, atom)
            self.names[atom] = ctypes.string_at(data).decode() if data else ""
            if data:
                self.x.XFree(data)
        return self.names[atom]

    def _property(self, wid, name, kind):
        actual, fmt = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if self.x.XGetWindowProperty(self.d, wid, self.atom(name), 0, 1 << 16, 0, kind,
                                     ctypes.byref(actual), ctypes.byref(fmt), ctypes.byref(count),
                                     ctypes.byref(after), ctypes.byref(data)) != 0:
            return None
        try:
            if not data.value or actual.value == 0:
                return None
            if fmt.value == 8:
                return ctypes.string_at(data.value, count.value)
            if fmt.value == 32:  # longs on the client side
                return list(ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[:count.value])
            return None
        finally:
            if data.value:
                self.x.XFree(data)

    def windows(self, pid, hidden=False):
        """The viewable top-level windows of the process, bottom to top; with hidden, the
        unmapped ones too."""
        root, parent = Window(), Window()
        children, count = ctypes.POINTER(Window)(), ctypes.c_uint()
        if not self.x.XQueryTree(self.d, self.root, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(children), ctypes.byref(count)):
            return []
        wids = [children[i] for i in range(count.value)]
        if children:
            self.x.XFree(children)
        found = []
        for wid in wids:
            attrs = XWindowAttributes()
            if not self.x.XGetWindowAttributes(self.d, wid, ctypes.byref(attrs)):
                continue
            if attrs.map_state != IS_VIEWABLE and not hidden:
                continue
            owner = self._property(wid, "_NET_WM_PID", XA_CARDINAL)
            if not owner or owner[0] != pid:
                continue
            name = self._property(wid, "_NET_WM_NAME", self.atom("UTF8_STRING"))
            title = name.decode("utf-8", "replace") if name else ""
            transient = self._property(wid, "WM_TRANSIENT_FOR", XA_WINDOW)
            types = self._property(wid, "_NET_WM_WINDOW_TYPE", XA_ATOM)
            kinds = {self.atom_name(t).removeprefix("_NET_WM_WINDOW_TYPE_")
                     for t in types or []}
            found.append(TopLevel(wid, title, kinds, attrs.x, attrs.y, attrs.width, attrs.height,
                                  bool(attrs.override_redirect), transient[0] if transient else 0))
        return found

    def focus(self):
        wid, revert = Window(), ctypes.c_int()
        self.x.XGetInputFocus(self.d, ctypes.byref(wid), ctypes.byref(revert))
        return wid.value

    def _client_message(self, wid, kind, data):
        event = XEvent()
        event.xclient.type = CLIENT_MESSAGE
        event.xclient.window = wid
        event.xclient.message_type = self.atom(kind)
        event.xclient.format = 32
        for i, value in enumerate(data):
            event.xclient.l[i] = value
        self.x.XSendEvent(self.d, wid, 0, 0, ctypes.byref(event))
        self.x.XFlush(self.d)

    def close(self, wid):
        """What a window manager's close button sends."""
        self._client_message(wid, "WM_PROTOCOLS", [self.atom("WM_DELETE_WINDOW"), 0])

    def ping(self, wid, timeout, since=None):
        """Sends a _NET_WM_PING and waits up to timeout seconds for an answer to it, or to any
        ping from serial since on. Returns True on an answer, else the serial sent. An answer
        means the window's event loop has handled every input event the server queued for it
        before the ping."""
        self.ping_serial += 1
        serial = self.ping_serial
        since = since or serial
        ping = self.atom("_NET_WM_PING")
        self._client_message(wid, "WM_PROTOCOLS", [ping, serial, wid])
        fd = self.x.XConnectionNumber(self.d)
        event = XEvent()
        deadline = time.monotonic() + timeout
        while True:
            while self.x.XPending(self.d):
                self.x.XNextEvent(self.d, ctypes.byref(event))
                if (event.type == CLIENT_MESSAGE and event.xclient.l[0] == ping
                        and since <= event.xclient.l[1] <= serial):
                    return True
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return serial
            select.select([fd], [], [], remaining)

    def clear_selection(self, name):
        """Leaves the selection without an owner, as after a login."""
        self.x.XSetSelectionOwner(self.d, self.atom(name), 0, 0)
        self.x.XSync(self.d, 0)

    def selection_owner(self, name):
        return self.x.XGetSelectionOwner(self.d, self.atom(name))

    def close_display(self):
        self.x.XCloseDisplay(self.d)

    def sync(self):
        self.x.XSync(self.d, 0)
