"""xmenu — drives the program's right-button GLUT menu with the pointer.

    m = Menu(session)
    m.open(x, y)                        # right button held down at (x, y)
    m.choose(8)                         # top-level entry 8 ("dt*2"): released on it
    m.open(x, y); m.choose_sub(1, 15, 1)  # entry 1 of the 15-entry submenu under row 1
    changed_pixels(shot1, shot2)        # how much of the window differs

Nothing here knows pixel sizes: the menus are found in screenshots.  A menu
is an opaque grey panel; its rows share its height equally; the row under the
pointer is drawn lighter than the panel (its highlight).  freeglut redraws a
menu when the pointer moves onto a row, and its first drawing in a run may be
stale, so every measure is taken after a move and repeated until two shots
agree.  A top-level entry is chosen by releasing the button on it; a submenu
entry only by a click once it shows its highlight.  Menus may open to the
left or upward near the screen's edges: the submenu is looked for on both
sides of the main menu.

`xdotool mousemove --sync` can hang when the pointer is already at its
target, so moves are plain and followed by a short pause.
"""
import time

PAUSE = 0.25


def luminance(px):
    return (px[0] + px[1] + px[2]) / 3.0


class MenuError(RuntimeError):
    pass


class Menu:
    def __init__(self, session):
        self.s = session
        self.base = None     # screenshot without any menu
        self.main = None     # (left, top, right, bottom) of the main menu, inclusive
        self.rows = 0

    # ---- pointer -----------------------------------------------------
    def move(self, x, y):
        self.s.run("xdotool", "mousemove", str(int(x)), str(int(y)))
        time.sleep(PAUSE)

    def button(self, what, b):
        self.s.run("xdotool", what, str(b))
        time.sleep(PAUSE)

    # ---- measuring ---------------------------------------------------
    def _changed(self, img, x, y):
        a = img.getpixel((x, y))
        b = self.base.getpixel((x, y))
        return max(abs(a[k] - b[k]) for k in range(3)) > 24

    def _run(self, img, x, y, dx, dy, gaps=0):
        """Last changed pixel from (x, y) in direction (dx, dy), stepping over
        at most `gaps` unchanged pixels in a row (text may match the background)."""
        w, h = img.size
        edge, gap, cx, cy = (x, y), 0, x, y
        while 0 <= cx + dx < w and 0 <= cy + dy < h and gap <= gaps:
            cx, cy = cx + dx, cy + dy
            if self._changed(img, cx, cy):
                edge, gap = (cx, cy), 0
            else:
                gap += 1
        return edge

    def _reach(self, img, x, y0, y1, step):
        """Farthest changed column from x in direction step over the rows
        y0..y1: some row of the band passes between the letters."""
        runs = [self._run(img, x, y, step, 0, gaps=6)[0] for y in range(y0, y1 + 1, 2)]
        return max(runs) if step > 0 else min(runs)

    def _column(self, img, x, y):
        """Top and bottom of the panel border column through (x, y)."""
        return self._run(img, x, y, 0, -1)[1], self._run(img, x, y, 0, 1)[1]

    def _highlighted(self, img, box, rows, k):
        """True when row k (1-based) of the panel is drawn lighter than the
        others: the median of a row is its background, whatever the text."""
        left, top, right, bottom = box
        hh = (bottom - top + 1) / float(rows)

        def median(j):
            y0, y1 = int(top + (j - 1) * hh + hh * 0.2), int(top + j * hh - hh * 0.2)
            vals = sorted(luminance(img.getpixel((x, y)))
                          for x in range(left + 3, right - 2, 2) for y in range(y0, y1 + 1, 2))
            return vals[len(vals) // 2]

        others = [median(j) for j in range(1, rows + 1) if j != k]
        return median(k) > max(others) + 30

    def row_center(self, box, rows, k):
        left, top, right, bottom = box
        hh = (bottom - top + 1) / float(rows)
        return left + min(12, (right - left) // 4), int(top + (k - 0.5) * hh)

    def _wait_highlight(self, box, rows, k, timeout=6):
        deadline = time.time() + timeout
        img = None
        while time.time() < deadline:
            img = self.s.shot()
            if self._highlighted(img, box, rows, k):
                return img
            # Nudge the pointer within the row so freeglut repaints it.
            x, y = self.row_center(box, rows, k)
            self.move(x + 3, y)
            self.move(x, y)
        raise MenuError("row %d never showed its highlight" % k)

    # ---- opening and choosing ----------------------------------------
    def open(self, x, y, rows=11, timeout=15):
        """Presses the right button at (x, y), well away from the screen's
        edges, and measures the main menu, which opens below and right of it."""
        self.rows = rows
        self.move(x, y)
        self.base = self.s.shot()
        self.button("mousedown", 3)
        deadline = time.time() + timeout
        px, py = x + 4, y + 4
        last = None
        while time.time() < deadline:
            img = self.s.shot()
            if not self._changed(img, px, py):
                self.move(px + 1, py + 1)   # not drawn yet: make it repaint
                self.move(px, py)
                continue
            # The left border runs the menu's whole height; no submenu covers it.
            left = self._run(img, px, py, -1, 0, gaps=6)[0]
            top, bottom = self._column(img, left, py)
            if bottom - top < 4 * rows:
                self.move(px, py + 1)
                continue
            # Row 2 opens no submenu: with it highlighted, the row's extent is
            # the menu's width.  Moving there also repaints a stale drawing.
            hh = (bottom - top + 1) / float(rows)
            cy = int(top + 1.5 * hh)
            self.move(px, cy)
            img = self.s.shot()
            top, bottom = self._column(img, left, cy)
            right = self._reach(img, px, int(top + 1.1 * hh), int(top + 1.9 * hh), 1)
            box = (left, top, right, bottom)
            if box == last and self._highlighted(img, box, rows, 2):
                self.main = box
                return box
            last = box
        raise MenuError("menu not found")

    def choose(self, k):
        """Releases the button on top-level entry k (1-based)."""
        x, y = self.row_center(self.main, self.rows, k)
        self.move(x, y)
        self._wait_highlight(self.main, self.rows, k)
        self.button("mouseup", 3)

    def open_sub(self, k, rows, timeout=10):
        """Highlights top-level entry k and measures the submenu it opens,
        on the right of the main menu or, flipped, on its left."""
        x, y = self.row_center(self.main, self.rows, k)
        self.move(x, y)
        self._wait_highlight(self.main, self.rows, k)
        left, top, right, bottom = self.main
        deadline = time.time() + timeout
        last = None
        while time.time() < deadline:
            img = self.s.shot()
            box = None
            for step, start in ((1, right + 1), (-1, left - 1)):
                # The submenu's outer border: the first column beside the main
                # menu that is changed over more than a few rows' height.
                for sx in range(start, start + step * 40, step):
                    if not 0 <= sx < img.size[0]:
                        break
                    col = [yy for yy in range(img.size[1]) if self._changed(img, sx, yy)]
                    if len(col) > 4 * rows:
                        t, b = self._column(img, sx, col[len(col) // 2])
                        far = self._reach(img, sx, t + 2, b - 2, step)
                        box = (min(sx, far), t, max(sx, far), b)
                        break
                if box:
                    break
            if box is not None and box == last:
                return box
            last = box
            self.move(x + 3, y)
            self.move(x, y)
        raise MenuError("submenu not found")

    def choose_sub(self, k, rows, j):
        """Clicks entry j of the submenu of top-level entry k."""
        sub = self.open_sub(k, rows)
        # Cross into the submenu along row k, then move within it to row j.
        _, yk = self.row_center(self.main, self.rows, k)
        sx, _ = self.row_center(sub, rows, 1)
        yk = min(max(yk, sub[1] + 3), sub[3] - 3)
        self.move(sx, yk)
        x, y = self.row_center(sub, rows, j)
        self.move(x, y)
        self._wait_highlight(sub, rows, j)
        self.button("mouseup", 3)
        # The release does not choose a submenu entry; a click on it does.
        if self.s.proc.poll() is None:
            self._wait_highlight(sub, rows, j)
            self.button("click", 3)


def changed_pixels(a, b, box=(0, 0, 1024, 768), threshold=40):
    """How many pixels of box differ from one shot to the other by more than
    threshold (grey level of the difference image)."""
    from PIL import ImageChops
    d = ImageChops.difference(a.crop(box), b.crop(box)).convert("L")
    return sum(d.point(lambda v: 255 if v > threshold else 0).histogram()[255:])
