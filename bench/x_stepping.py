#!/usr/bin/python3
"""Key-to-paint at the X level: Glimra beside feh, geeqie and qimgv in one run.

Usage: bench/x_stepping.py [GLIMRA_PROGRAM [VIEWER...]]   (default build/glimra and all viewers; needs python3-xlib, Xvfb,
openbox, gm and the peer viewers that are installed; missing peers are left out)

In a private Xvfb (1280x800) with openbox, each viewer is started on a folder of photo-like
pictures made here (24 MP and 14.7 MP JPEG, 12 MP PNG, 6 MP JPEG). Keys are sent by XTEST as a
user's are; the viewer's window is watched with DAMAGE. For each step it prints the time from
the key to the first paint of at least 48 x 48 pixels (a cursor or a list row is smaller) and to
the last such paint before the next key (the settled picture: an empty box painted before the
picture counts as first, not last). Two runs per viewer: one key every 400 ms through 40
pictures, and a held key (30 keys a second for 5 s) with the time from the last key to the last
paint. Then median / 90th percentile / worst, and Glimra's ratio to each peer.
"""
import os, select, shutil, statistics, subprocess, sys, tempfile, time
from Xlib import X, XK, display as xdisplay
from Xlib.ext import damage, xtest

HERE = os.path.dirname(os.path.abspath(__file__))
GLIMRA = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', 'build', 'glimra'))
PACE, HELD_RATE, HELD_SECONDS, MIN_SIDE = 0.4, 30, 5, 48

def make_pictures(folder):
    """40 pictures (names interleave the kinds), then four copies of each as further files so a
    held key has 200 to step through; copies are new files, not links, so no cache sees them
    as the same picture."""
    kinds = [('jpg', 6000, 4000), ('jpg', 5120, 2880), ('png', 4240, 2832), ('jpg', 3000, 2000)]
    made = {}
    os.makedirs(folder)
    for i in range(40):
        ext, w, h = kinds[i % 4]
        path = os.path.join(folder, 'a%02d.%s' % (i, ext))
        key = (ext, w, i % 8 // 4) # two different pictures of each kind
        if key in made:
            shutil.copyfile(made[key], path)
            continue
        subprocess.run(['gm', 'convert', '-size', '%dx%d' % (w // 2, h // 2), 'plasma:fractal',
                        '-resize', '%dx%d!' % (w, h), '-depth', '8', '-quality', '90', path],
                       check=True)
        made[key] = path
    for copy in 'bcde':
        for i in range(40):
            name = 'a%02d.%s' % (i, kinds[i % 4][0])
            shutil.copyfile(os.path.join(folder, name), os.path.join(folder, copy + name[1:]))

class Screen:
    def __init__(self):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1280x800x24',
                                      '-nolisten', 'tcp'], pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        number = os.read(read, 16).decode().strip()
        os.environ['DISPLAY'] = ':' + number
        self.wm = subprocess.Popen(['openbox', '--sm-disable'], stderr=subprocess.DEVNULL)
        self.d = xdisplay.Display()
        self.d.damage_query_version()
        self.root = self.d.screen().root
        time.sleep(1)

    def close(self):
        self.wm.terminate(); self.xvfb.terminate()

    def windows(self):
        prop = self.root.get_full_property(self.d.intern_atom('_NET_CLIENT_LIST'), X.AnyPropertyType)
        return [self.d.create_resource_object('window', w) for w in (prop.value if prop else [])]

    def find(self, pid, title=None, timeout=30):
        """The largest mapped window of process PID (or with the exact TITLE)."""
        pid_atom = self.d.intern_atom('_NET_WM_PID')
        name_atom, utf8 = self.d.intern_atom('_NET_WM_NAME'), self.d.intern_atom('UTF8_STRING')
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            best = None
            for w in self.windows():
                try:
                    if title is not None:
                        name = w.get_full_property(name_atom, utf8)
                        if not name or name.value.decode(errors='replace') != title:
                            continue
                    else:
                        p = w.get_full_property(pid_atom, X.AnyPropertyType)
                        if not p or p.value[0] != pid:
                            continue
                    g = w.get_geometry()
                    if best is None or g.width * g.height > best[0]:
                        best = (g.width * g.height, w)
                except Exception:
                    continue
            if best and best[0] > 10000:
                return best[1]
            time.sleep(0.2)
        raise RuntimeError('no window for %s' % (title or pid))

    def watch(self, window, min_width=MIN_SIDE):
        self.min_width = min_width
        self.d.sync()
        while self.d.pending_events():
            self.d.next_event()
        subprocess.run(['xdotool', 'windowactivate', '--sync', str(window.id)],
                       stderr=subprocess.DEVNULL, timeout=10)
        self.damage = window.damage_create(damage.DamageReportRawRectangles)
        self.d.sync()

    def unwatch(self):
        self.d.damage_destroy(self.damage)
        self.d.sync()

    def paints(self, until):
        """Times of the large paints until the monotonic time UNTIL."""
        times = []
        while True:
            while self.d.pending_events():
                e = self.d.next_event()
                if e.type == self.d.extension_event.DamageNotify and \
                        e.area.width >= self.min_width and e.area.height >= MIN_SIDE:
                    times.append(time.monotonic())
            left = until - time.monotonic()
            if left <= 0:
                return times
            select.select([self.d.fileno()], [], [], left)

    def settle(self, quiet=1.5, longest=30):
        """Waits until nothing large was painted for QUIET seconds; returns the last paint."""
        last, end = None, time.monotonic() + longest
        while time.monotonic() < end:
            got = self.paints(time.monotonic() + quiet)
            if not got:
                return last
            last = got[-1]
        return last

    def key(self, name):
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.sync()
        return time.monotonic()

def step_runs(screen, key, steps):
    first, last = [], []
    for _ in range(steps):
        sent = screen.key(key)
        got = screen.paints(sent + PACE)
        first.append((got[0] - sent) * 1000 if got else None)
        last.append((got[-1] - sent) * 1000 if got else None)
    screen.settle(quiet=1)
    start, painted = time.monotonic(), 0
    for i in range(HELD_RATE * HELD_SECONDS):
        painted += len(screen.paints(start + i / HELD_RATE))
        sent = screen.key(key)
    last_paint = screen.settle(quiet=3)
    return first, last, ((last_paint - sent) * 1000 if last_paint else None, painted)

def summary(values):
    """Median, 90th percentile, worst, and how many steps had no paint before the next key (they
    count as the 400 ms they took at least)."""
    v = sorted(PACE * 1000 if x is None else x for x in values)
    return (statistics.median(v), v[min(len(v) - 1, int(0.9 * len(v)))], v[-1], values.count(None))

def run_viewer(screen, folder, name, argv, key, title=None, then=None, min_width=MIN_SIDE):
    env = dict(os.environ) # a private home each, so no viewer reads the user's settings
    env.pop('QT_QPA_PLATFORM', None)
    for k in ('HOME', 'XDG_CONFIG_HOME', 'XDG_CACHE_HOME', 'XDG_DATA_HOME'):
        env[k] = os.path.join(folder, '..', name, k)
        os.makedirs(env[k], exist_ok=True)
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = screen.find(proc.pid, title)
        screen.watch(window, min_width)
        screen.settle()
        for k, next_title in then or []: # e.g. select the first file, open the full-size window
            screen.key(k)
            if next_title:
                screen.unwatch()
                window = screen.find(proc.pid, next_title)
                screen.watch(window, min_width)
            screen.settle()
        result = step_runs(screen, key, 39)
        screen.unwatch()
        return result
    finally:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()

def main():
    work = tempfile.mkdtemp(prefix='x-stepping-')
    folder = os.path.join(work, 'pictures')
    print('making the pictures in', folder, flush=True)
    make_pictures(folder)
    files = sorted(os.listdir(folder))
    first = os.path.join(folder, files[0])
    viewers = [
        # The file list repaints whole when the selection moves; only the 200 wide preview box
        # is wider than 190.
        ('glimra preview (Down in the list)', [GLIMRA, folder], 'Down', 'Glimra v2.0', [('Down', None)], 190),
        ('glimra full size (Delete, 100 %)', [GLIMRA, folder], 'Delete', 'Glimra v2.0',
         [('Down', None), ('F5', 'Glimra Full Size')], MIN_SIDE),
        ('feh (Right, 100 %)', ['feh', '--sort', 'name', '--start-at', first, folder], 'Right', None, None, MIN_SIDE),
        ('geeqie window (space, fit)', ['geeqie', first], 'space', None, None, MIN_SIDE),
        ('qimgv (Right, fit)', ['qimgv', first], 'Right', None, None, MIN_SIDE),
    ]
    screen = Screen()
    results = {}
    try:
        for name, argv, key, title, then, min_width in viewers:
            if len(sys.argv) > 2 and not any(name.startswith(v) for v in sys.argv[2:]):
                continue
            if not shutil.which(argv[0]):
                print('%s: not installed, left out' % name)
                continue
            print('== %s' % name, flush=True)
            try:
                first_ms, last_ms, after = run_viewer(screen, folder, name.split()[0] + str(len(results)),
                                                      argv, key, title, then, min_width)
            except Exception as error:
                print('  failed: %s' % error)
                continue
            fmt = lambda v: ' '.join('-' if x is None else '%.0f' % x for x in v)
            print('  first paint ms:', fmt(first_ms))
            print('  last paint ms: ', fmt(last_ms))
            results[name] = (summary(first_ms), summary(last_ms), after)
    finally:
        screen.close()
        shutil.rmtree(work, ignore_errors=True)
    print('\nkey-to-paint, 39 steps at one key per 400 ms; held key %d keys/s for %d s' % (HELD_RATE, HELD_SECONDS))
    print('%-36s %22s %22s  %s' % ('viewer', 'first paint med/p90/max', 'last paint med/p90/max',
                                    'held: last key to last paint (paints while held)'))
    for name, (f, l, after) in results.items():
        cell = lambda s: '%.0f/%.0f/%.0f%s' % (s[0], s[1], s[2], ' (%d >400)' % s[3] if s[3] else '')
        held = 'no paint' if after[0] is None else '%.0f ms' % after[0]
        print('%-36s %22s %22s  %s (%d)' % (name, cell(f), cell(l), held, after[1]))
    for mode in [n for n in results if n.startswith('glimra')]:
        for peer in [n for n in results if not n.startswith('glimra')]:
            g, p = results[mode], results[peer]
            if p[1][0]:
                print('ratio %s / %s: last paint median %.2f, p90 %.2f, held %.2f' % (
                    mode.split('(')[0].strip(), peer.split()[0], g[1][0] / p[1][0], g[1][1] / p[1][1],
                    g[2][0] / p[2][0] if g[2][0] is not None and p[2][0] else float('nan')))
    print(subprocess.run(['uptime'], capture_output=True, text=True).stdout.strip())

if __name__ == '__main__':
    main()
