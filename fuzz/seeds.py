#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/seed-*.

The texts are the string literals of the unit tests of each family, so the fuzzers start
from what someone already thought of; the numbers are the rectangles, ids and time-outs
those tests use. The field layout of each target is the one its LLVMFuzzerTestOneInput
reads (fields separated by zero bytes, see fuzz/fuzz_input.h). Run it again after adding
unit tests; files it wrote before are replaced, other corpus files are left alone."""
import hashlib
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LITERAL = re.compile(r'(?:\bL|\bu8)?"((?:[^"\\\n]|\\.)*)"')


def decode(body):
    out, i = [], 0
    while i < len(body):
        ch = body[i]
        if ch != '\\':
            out.append(ch)
            i += 1
            continue
        nxt = body[i + 1]
        if nxt in 'xuU':
            digits = re.match(r'[0-9a-fA-F]+', body[i + 2:]).group(0)
            if nxt == 'u':
                digits = digits[:4]
            elif nxt == 'U':
                digits = digits[:8]
            out.append(chr(int(digits, 16)))
            i += 2 + len(digits)
        else:
            out.append({'n': '\n', 'r': '\r', 't': '\t', '0': '\0'}.get(nxt, nxt))
            i += 2
    return ''.join(out)


def texts_of(*tests):
    found = []
    for test in tests:
        with open(os.path.join(ROOT, 'tests', test), encoding='utf-8') as f:
            for line in f:
                if line.lstrip().startswith('#include'):
                    continue
                for body in LITERAL.findall(line):
                    text = decode(body)
                    if '\0' not in text and text not in found:
                        found.append(text)
    return found


def fields(*values):
    parts = []
    for value in values:
        if isinstance(value, bool):
            value = '1' if value else '0'
        parts.append(str(value).encode('utf-8', 'surrogatepass'))
    return b'\0'.join(parts)


def write(target, inputs):
    folder = os.path.join(ROOT, 'fuzz', 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if name.startswith('seed-'):
            os.remove(os.path.join(folder, name))
    for data in inputs:
        name = 'seed-' + hashlib.sha1(data).hexdigest()[:16]
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)
    print(f'{target}: {len(inputs)} seeds')


def action_text():
    texts = texts_of('actions/action_text_test.cpp', 'wizard/parameter_fields_test.cpp',
                     'actions/media_playback_test.cpp', 'actions/command_test.cpp', 'actions/exit_action_test.cpp')
    inputs = []
    for k, text in enumerate(texts):
        other = texts[(k * 7 + 3) % len(texts)]
        inputs.append(fields(text, k % 2 == 0, k % 3 == 0, [0, 5, 10, 35, 95, -1, 300, 2147483647][k % 8],
                             [0, 30, 300, 301, -5, 3][k % 6], other))
    return inputs


def paths():
    texts = texts_of('app/wide_string_test.cpp', 'app/system_test.cpp', 'actions/command_test.cpp',
                     'wizard/parameter_fields_test.cpp', 'app/startup_decision_test.cpp')
    return [fields(text, texts[(k * 5 + 1) % len(texts)]) for k, text in enumerate(texts)]


def settings_text():
    texts = texts_of('app/settings_test.cpp', 'wizard/named_setting_test.cpp')
    handles = [0, 500, 0xA0B2C, 0xFFFFFFFF, 0x80000000, 0xFFFFFFFFFFFFFFFF, 0x123456789ABC]
    inputs = []
    for k, text in enumerate(texts):
        pairs = []
        for j in range(3):
            pairs += [texts[(k + 2 * j + 1) % len(texts)], texts[(k + 2 * j + 2) % len(texts)]]
        inputs.append(fields(handles[k % len(handles)], text, *pairs))
    # A block as the system returns it: lines ending in a zero, a second zero at the end.
    inputs.append('ParamPlay="C:\\a b\\x.wav" x\0ParamCmd=""a" "b""\0Act=1\0\0'.encode('utf-8'))
    return inputs


def startup():
    texts = texts_of('app/startup_decision_test.cpp', 'wizard/wizard_logic_test.cpp', 'app/settings_test.cpp')
    pages = [110, 120, 130, 140, 170, 150, 0]
    return [fields(text, texts[(k * 3 + 1) % len(texts)], k % 2 == 1, k % 5, pages[k % len(pages)])
            for k, text in enumerate(texts)]


def process_text():
    texts = texts_of('watch/process_text_test.cpp', 'wizard/window_tree_logic_test.cpp',
                     'wizard/process_page_logic_test.cpp', 'watch/process_watch_logic_test.cpp',
                     'watch/condition_test_logic_test.cpp')
    ids = [4312, -1234, 0, 1, -2147483648, 2147483647]
    threads = [1234, 4312, 0, 0x80000000, 0x80000001, 0xFFFFFFFF]
    rects = [(100, 80, 520, 400), (0, 0, 2, 2), (0, 0, 3, 2), (-2147483648, 0, 2147483647, 10),
             (10, 20, 330, 220), (5, 5, 5, 5)]
    inputs = []
    for k, text in enumerate(texts):
        other = texts[(k * 11 + 5) % len(texts)]
        rect = rects[k % len(rects)]
        time = [2024, 3, 5, 9, 7, 2, 45] if k % 2 else [65535, 65535, 65535, 65535, 65535, 65535, 65535]
        head = [text, ids[k % len(ids)], k % 4, 1 + k % 3, k % 2 == 0, threads[k % len(threads)], 4312, other,
                [0, 1234567, 99999, 10000000, 18446744073709551615][k % 5], *time, *rect, k % 3 != 0]
        # Window tree: a thread line, a window with two children, a second thread.
        tree = [3, 0, 'thread id =4312', 2, '無題 - メモ帳', 'Notepad', *rect, True, 2,
                1, 2, text, 'Edit', 2, 8, other, 'Button', 0, 'thread id =4313', False]
        # Sort: two processes by name.
        sort = [2, 4312, 3, 1, 'C:\\Windows\\notepad.exe', 100, 17, 2, 3, text, 0, k % 11 - 5]
        # Watch: conditions, initial state, then a few seconds of samples.
        watch = [3, True, 1, other, 1, True, False, True, 0, 1, 1, 'text', True, False, True, 5, 2, False]
        inputs.append(fields(*head, *tree, *sort, *watch))
    return inputs


def geometry():
    rects = [(100, 50, 300, 250), (-1280, 0, 0, 1024), (10, 20, 30, 40), (0, 0, 1920, 1080), (0, 0, 0, 0),
             (-2147483648, -2147483648, 2147483647, 2147483647), (500, 500, 400, 400), (0, 0, 1366, 768),
             (16777216, 0, 16777217, 1), (-16777216, -16777216, 16777216, 16777216)]
    bounds = [(0, 0, 1920, 1080), (-1280, 0, 1920, 1080), (0, 0, 1366, 768), (-1920, -1080, 1920, 1080)]
    inputs = []
    for k, area in enumerate(rects):
        for j, desktop in enumerate(bounds):
            drag = [10, 20, 1, 30, 40, 0, 100, 120, 2, 50, 60, 0]
            inputs.append(fields(*area, *desktop, 12, 34, 372, 250, 3, 180, 16, 220, 16, 90, 16, 0, 0,
                                 120 + j, 18, *drag))
    return inputs


def power_text():
    sets = [(600, 1800, 0, 300, 900, 0), (30, 0, 0, 0, 0, 0), (0, 0, 0, 0, 0, 0), (-1, -1, -1, -1, -1, -1),
            (3600, 7200, 10800, 60, 120, 180), (2147483647, -2147483648, 59, 60, 61, 119)]
    inputs = []
    for k, values in enumerate(sets):
        for battery in (False, True):
            inputs.append(fields(*values, k % 2 == 0, k % 3 == 0, battery, [0, 128, 255, 1, 8][k % 5]))
    return inputs


def main():
    targets = {'action_text': action_text, 'paths': paths, 'settings_text': settings_text, 'startup': startup,
               'process_text': process_text, 'geometry': geometry, 'power_text': power_text}
    for name in sys.argv[1:] or targets:
        write(name, targets[name]())


if __name__ == '__main__':
    main()
