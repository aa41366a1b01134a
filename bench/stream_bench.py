#!/usr/bin/env python3
"""cardo-cli on inputs of any length: what it holds and how soon it answers.

Usage: stream_bench.py CARDO_CLI [LABEL]

  export of 1,000,000 lines to a reader that leaves after ten (| head): time to the end and
    peak memory (goal: ends within a second);
  export --format aria2 of a 113 MB list of short lines: peak memory and time (goal: at most
    twice the list plus 32 MB);
  extract --depth 1 --filter '*' of a link farm whose index links to 1,000,000 pages: peak
    memory, the time from the index's last byte sent to the first URL out, and the lines out
    (goal: at most twice the output plus 32 MB, the first URL within a second).

Each run's address space is capped at 4 GiB (RLIMIT_AS), near what a 32-bit process has; a run
that passes it ends "out of memory". Exits 1 when a goal is missed.
"""
import os
import resource
import subprocess
import sys
import tempfile
import threading
import time

CAP = 4 << 30
MIB = 1 << 20


def cap():
    resource.setrlimit(resource.RLIMIT_AS, (CAP, CAP))


def run(args, leave_after=None, env=None):
    """Runs the command; its seconds, peak KiB, lines out, first line's time, standard error."""
    start = time.time()
    child = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             preexec_fn=cap, env=env)
    first, lines, out_bytes = None, 0, 0
    errors = []
    reader = threading.Thread(target=lambda: errors.append(child.stderr.read()))
    reader.start()
    for line in child.stdout:
        if first is None:
            first = time.time()
        lines += 1
        out_bytes += len(line)
        if leave_after and lines >= leave_after:
            break
    child.stdout.close()
    _, child.returncode, usage = os.wait4(child.pid, 0)
    end = time.time()
    reader.join()
    return {"seconds": end - start, "kib": usage.ru_maxrss, "lines": lines, "bytes": out_bytes,
            "first": first, "err": errors[0].decode(errors="replace").strip()[-200:]}


def export_head(cli, folder):
    path = os.path.join(folder, "million.txt")
    with open(path, "w") as f:
        for i in range(1000000):
            f.write(f"http://example.com/files/{i:07d}/archive.zip\n")
    r = run([cli, "export", "--format", "plain", path], leave_after=10)
    ok = r["seconds"] <= 1.0
    print(f"export 1,000,000 lines | head       {r['seconds']:7.2f} s  {r['kib'] // 1024:6d} MiB"
          f"  (goal: ends within 1 s) {'ok' if ok else 'MISSED'}")
    return ok


def export_large(cli, folder):
    path = os.path.join(folder, "large.txt")
    with open(path, "w") as f:
        i = 0
        while f.tell() < 113 * 1000 * 1000:
            f.write("".join(f"http://h/{n}.zip\n" for n in range(i, i + 10000)))
            i += 10000
    size = os.path.getsize(path)
    r = run([cli, "export", "--format", "aria2", "--out", os.devnull, path])
    goal = 2 * size + 32 * MIB
    ok = r["kib"] * 1024 <= goal and not r["err"]
    print(f"export --format aria2, {size / MIB:.0f} MiB list {r['seconds']:7.2f} s  "
          f"{r['kib'] // 1024:6d} MiB  (goal <= {goal // MIB} MiB) {'ok' if ok else 'MISSED'}"
          + (f"  [{r['err']}]" if r["err"] else ""))
    return ok


def crawl(cli, folder):
    farm = subprocess.Popen([sys.executable, os.path.join(os.path.dirname(__file__),
                                                          "link_farm.py"), folder])
    try:
        port_file = os.path.join(folder, "port.txt")
        for _ in range(100):
            if os.path.exists(port_file):
                break
            time.sleep(0.1)
        port = open(port_file).read().strip()
        env = dict(os.environ, no_proxy="127.0.0.1")
        url = f"http://127.0.0.1:{port}/index?n=1000000"
        r = run([cli, "extract", "--filter", "*", "--depth", "1", "--url", url], env=env)
        sent = [float(t) for t in open(os.path.join(folder, "sent.txt")).read().split()]
        first = r["first"] - sent[-1] if r["first"] and sent else None
        goal = 2 * r["bytes"] + 32 * MIB
        ok = r["kib"] * 1024 <= goal and first is not None and first <= 1.0
        first_text = f"{first:5.2f} s" if first is not None else " none"
        print(f"extract --depth 1, 1,000,000-link farm {r['seconds']:6.2f} s  "
              f"{r['kib'] // 1024:6d} MiB  first URL {first_text} after the index, "
              f"{r['lines']} lines (goal <= {goal // MIB} MiB, first <= 1 s) "
              f"{'ok' if ok else 'MISSED'}" + (f"  [{r['err']}]" if r["err"] else ""))
        return ok
    finally:
        open(os.path.join(folder, "stop"), "w").close()
        farm.wait()


def main():
    cli = sys.argv[1]
    if len(sys.argv) > 2:
        print(f"-- {sys.argv[2]}")
    ok = True
    with tempfile.TemporaryDirectory() as folder:
        ok = export_head(cli, folder) and ok
        ok = export_large(cli, folder) and ok
        ok = crawl(cli, folder) and ok
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
