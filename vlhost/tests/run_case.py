#!/usr/bin/env python3
"""Runs vlhost.exe on one case file and checks the lines it prints.

usage: run_case.py EMULATOR VLHOST DLL SOURCE_DIR CASE_FILE

A case file holds, one per line:
  args: ...        the host's arguments; {dll}, {source}, {tmp} and {corpus} are replaced
                   (and everywhere {env:NAME} by the environment's NAME, which must be set),
                   and {table:N} by the size on the host's architecture of an NPAPI
                   function table whose 32-bit size is N (a 2-byte size, a 2-byte
                   version, then (N - 4) / 4 pointers: 8 + 8 * that on x86-64)
  step: ...        a step, passed as --step
  expect: REGEX    must match a line after the previous expectation's line
  absent: REGEX    must match no line at all
  count: N REGEX   must match exactly N lines
  exit: N          the host's exit code (default 0)
  env: NAME=VALUE  set in the host's environment (WINEDLLOVERRIDES, say)
  server: STATUS   a local HTTP server answering every POST with STATUS and the
                   header "X-Case: yes"; {server} is its address, and one line
                   "server POST PATH parts=N tiff=yes|no length=N" per request
                   joins the host's lines before they are checked
Lines starting with # are comments.
"""
import http.server
import os
import re
import shlex
import struct
import subprocess
import sys
import tempfile
import threading


def pointer_size(exe):
    """4 or 8, from the machine field of a PE file's header."""
    with open(exe, 'rb') as f:
        data = f.read(4096)
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    machine = struct.unpack_from('<H', data, pe + 4)[0]
    return {0x14C: 4, 0x8664: 8}[machine]


def table_size(size32, pointer):
    slots, rest = divmod(size32 - 4, 4)
    if rest or slots < 0:
        sys.exit(f'{{table:{size32}}} is not a whole number of 32-bit table slots')
    return pointer + slots * pointer if pointer == 8 else size32


def start_server(status, seen):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            body = self.rfile.read(int(self.headers.get('Content-Length', '0')))
            boundary = self.headers.get('Content-Type', '').partition('boundary=')[2]
            parts = body.count(b'--' + boundary.encode() + b'\r\n') if boundary else 0
            tiff = b'filename="' in body and (b'\r\n\r\nII*\x00' in body or b'\r\n\r\nMM\x00*' in body)
            seen.append(f'server POST {self.path} parts={parts} tiff={"yes" if tiff else "no"} length={len(body)}')
            self.send_response(status)
            self.send_header('X-Case', 'yes')
            self.send_header('Content-Length', '2')
            self.end_headers()
            self.wfile.write(b'ok')

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    emulator, vlhost, dll, source, case = sys.argv[1:6]
    args, expects, absents, counts, code = [], [], [], [], 0
    env = dict(os.environ)
    server, seen = None, []
    with tempfile.TemporaryDirectory() as tmp:
        corpus = os.path.normpath(os.path.join(source, '..', 'shared', 'corpus'))
        subst = {'{dll}': dll, '{source}': source, '{tmp}': tmp, '{corpus}': corpus}
        with open(case, encoding='utf-8') as f:
            for line in f:
                if line.startswith('server:'):
                    server = start_server(int(line.partition(':')[2]), seen)
                    subst['{server}'] = f'http://127.0.0.1:{server.server_address[1]}'

        pointer = pointer_size(vlhost)

        def fill(text):
            for key, value in subst.items():
                text = text.replace(key, value)
            text = re.sub(r'\{env:(\w+)\}', lambda m: os.environ[m.group(1)], text)
            return re.sub(r'\{table:(\d+)\}', lambda m: str(table_size(int(m.group(1)), pointer)), text)

        with open(case, encoding='utf-8') as f:
            for line in f:
                line = line.rstrip('\n')
                if not line.strip() or line.startswith('#'):
                    continue
                key, _, value = line.partition(':')
                value = value.strip()
                if key == 'args':
                    args += [fill(a) for a in shlex.split(value)]
                elif key == 'step':
                    args += ['--step', fill(value)]
                elif key == 'expect':
                    expects.append(fill(value))
                elif key == 'absent':
                    absents.append(fill(value))
                elif key == 'server':
                    pass
                elif key == 'count':
                    n, _, pattern = value.partition(' ')
                    counts.append((int(n), fill(pattern.strip())))
                elif key == 'exit':
                    code = int(value)
                elif key == 'env':
                    name, _, setting = value.partition('=')
                    env[name] = setting
                else:
                    sys.exit(f'{case}: unknown line {line!r}')
        run = subprocess.run([emulator, vlhost, '--no-stay', '--timeout', '120'] + args,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, env=env)
        lines = run.stdout.decode('utf-8', 'replace').splitlines() + seen
        if server:
            server.shutdown()
        failures = []
        at = 0
        for pattern in expects:
            rx = re.compile(pattern)
            found = next((i for i in range(at, len(lines)) if rx.search(lines[i])), None)
            if found is None:
                failures.append(f'expected after line {at}: {pattern}')
            else:
                at = found + 1
        for pattern in absents:
            rx = re.compile(pattern)
            failures += [f'unexpected line: {l}' for l in lines if rx.search(l)]
        for n, pattern in counts:
            rx = re.compile(pattern)
            seen = sum(1 for l in lines if rx.search(l))
            if seen != n:
                failures.append(f'{seen} lines match, expected {n}: {pattern}')
        if run.returncode != code:
            failures.append(f'exit code {run.returncode}, expected {code}')
        if failures:
            print('\n'.join(lines))
            print('----')
            print('\n'.join(failures))
            sys.exit(1)


if __name__ == '__main__':
    main()
