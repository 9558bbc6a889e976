#!/usr/bin/env python3
"""Writes the inputs of the Markdown golden corpus (outputs are filled in by
LORVANE_MARKDOWN_GOLDEN=<file> ./lorvane_tests --gtest_filter='MarkdownGolden*').

Sources: the inputs already recorded, the string literals of the Markdown test
tables, the fuzz seeds and documents from a small deterministic generator."""
import json, os, random, re, sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..', '..'))

def c_literals(path):
    """Every adjacent group of C string literals in a test file, decoded."""
    src = open(path, encoding='utf-8').read()
    out = []
    for group in re.finditer(r'(?:"(?:[^"\\\n]|\\.)*"\s*)+', src):
        parts = re.findall(r'"((?:[^"\\\n]|\\.)*)"', group.group(0))
        raw = ''.join(parts)
        b = bytearray()
        i = 0
        data = raw.encode('utf-8')
        while i < len(data):
            c = data[i]
            if c == 0x5c and i + 1 < len(data):
                n = chr(data[i + 1])
                if n == 'x':
                    m = re.match(rb'[0-9a-fA-F]+', data[i + 2:])
                    b.append(int(m.group(0), 16) & 0xff)
                    i += 2 + len(m.group(0))
                    continue
                b.append({'n': 10, 't': 9, 'r': 13, '"': 34, '\\': 92, "'": 39, '0': 0}.get(n, ord(n)))
                i += 2
                continue
            b.append(c)
            i += 1
        s = b.decode('utf-8', 'replace')
        if s and not re.fullmatch(r'[A-Za-z_.:/]*', s):
            out.append(s)
    return out

def fragments(r):
    words = ['alpha', 'beta', '中文', '文本', 'x', 'snake_case_name', 'a_b', '1', 'foo bar', 'CamelCase']
    urls = ['https://a.b/c', 'https://docs.python.org/3/reference/datamodel.html#object.__init__',
            'https://a.b/_x_', 'http://z/*y*', 'https://a.b/?q=1&r=2', 'p.png', '/img/a_b_c.png',
            'javascript:alert(1)', 'https://例子.cn/路径', 'x', '#frag', 'https://a.b/~~s~~']
    w = lambda: r.choice(words)
    u = lambda: r.choice(urls)
    choices = [
        lambda: w(), lambda: w(), lambda: w(),
        lambda: '*%s*' % w(), lambda: '**%s**' % w(), lambda: '_%s_' % w(), lambda: '__%s__' % w(),
        lambda: '~~%s~~' % w(), lambda: '***%s***' % w(), lambda: '*', lambda: '**', lambda: '_', lambda: '~~',
        lambda: '[%s](%s)' % (w(), u()), lambda: '[%s](%s "t")' % (w(), u()), lambda: '![%s](%s)' % (w(), u()),
        lambda: '[![%s](%s)](%s)' % (w(), u(), u()), lambda: u(), lambda: '<%s>' % u(), lambda: '(%s)' % u(),
        lambda: '`%s`' % w(), lambda: '`a*b*c`', lambda: '``', lambda: '`',
        lambda: '<b>%s</b>' % w(), lambda: '<span onclick="x()">s</span>', lambda: '<a href="%s">l</a>' % u(),
        lambda: '<img src=x onerror=alert(1)>', lambda: '<!-- c -->', lambda: '<br/>', lambda: '<x-y a=\'1\'>',
        lambda: '&amp;', lambda: '&#x4e2d;', lambda: '&copy;', lambda: '&#106;', lambda: '&', lambda: '<', lambda: '>',
        lambda: '"', lambda: "'", lambda: '=', lambda: '[', lambda: ']', lambda: '(', lambda: ')', lambda: '!',
        lambda: '|', lambda: '\\', lambda: '.', lambda: ',', lambda: '\u3000', lambda: '\t',
    ]
    return r.choice(choices)()

def line(r):
    n = r.randint(1, 12)
    seps = [' ', ' ', ' ', '', '  ']
    return ''.join(fragments(r) + r.choice(seps) for _ in range(n)).rstrip(' ') if r.random() < 0.7 else \
        ''.join(fragments(r) + r.choice(seps) for _ in range(n))

def block(r):
    k = r.randint(0, 13)
    if k <= 3:
        return '\n'.join(line(r) for _ in range(r.randint(1, 3)))
    if k == 4:
        return '#' * r.randint(1, 7) + r.choice([' ', '  ', '']) + line(r) + r.choice(['', ' #', ' ##', '#'])
    if k == 5:
        ind = ['', '  ', '    ', '\t']
        out = []
        for _ in range(r.randint(1, 6)):
            m = r.choice(['-', '*', '+', '1.', '2.', '3)', '10.'])
            task = r.choice(['', '', '[ ] ', '[x] ', '[X] '])
            out.append(r.choice(ind) + m + ' ' + task + line(r))
            if r.random() < 0.2:
                out.append('')
            if r.random() < 0.15:
                out.append(r.choice(['lazy ' + line(r), '  cont ' + line(r)]))
        return '\n'.join(out)
    if k == 6:
        cols = r.randint(1, 4)
        rows = ['| ' + ' | '.join(fragments(r) for _ in range(cols)) + ' |',
                '|' + '|'.join(r.choice(['---', ':--', '--:', ':-:']) for _ in range(cols)) + '|']
        for _ in range(r.randint(0, 3)):
            rows.append('| ' + ' | '.join(line(r).replace('|', '') for _ in range(r.randint(1, cols + 1))) + ' |')
        return '\n'.join(rows)
    if k == 7:
        return '\n'.join('> ' * r.randint(1, 2) + line(r) for _ in range(r.randint(1, 3)))
    if k == 8:
        f = r.choice(['```', '~~~'])
        return f + r.choice(['', 'js', 'c++', '<b>']) + '\n' + '\n'.join(line(r) for _ in range(r.randint(0, 3))) + \
            ('\n' + f if r.random() < 0.9 else '')
    if k == 9:
        return r.choice(['---', '***', '___', '- - -', '--', '* * *'])
    if k == 10:
        return r.choice(['<div>\n' + line(r) + '\n</div>', '<details><summary>s</summary>' + line(r) + '</details>',
                         '<!-- ' + line(r) + ' -->', '<script>alert(1)</script>', '<p title="' + line(r) + '">x</p>'])
    if k == 11:
        return '1. a\n\n2. b' + r.choice(['', '\n\n3. c', '\n- d'])
    return line(r) + '  \n' + line(r)

def documents(r, count):
    docs = []
    for _ in range(count):
        blocks = [block(r) for _ in range(r.randint(1, 6))]
        docs.append(r.choice(['\n\n', '\n']).join(blocks) + r.choice(['', '\n']))
    return docs

def main():
    # Cases moved here from the test tables stay.
    corpus = os.path.join(HERE, 'markdown.json')
    inputs = [c['in'] for c in json.load(open(corpus, encoding='utf-8'))] if os.path.exists(corpus) else []
    for name in ['markdown_test.cpp', 'markdown_xss_test.cpp']:
        inputs += c_literals(os.path.join(ROOT, 'tests', 'core', name))
    seeds = os.path.join(ROOT, 'fuzz', 'corpus', 'markdown')
    for name in sorted(os.listdir(seeds)):
        inputs.append(open(os.path.join(seeds, name), 'rb').read().decode('utf-8', 'replace'))
    r = random.Random(20)
    inputs += documents(r, 260)
    r = random.Random(23)
    inputs += [line(r) for _ in range(250)]
    seen, unique = set(), []
    for s in inputs:
        if s not in seen:
            seen.add(s)
            unique.append(s)
    sys.stdout.write('[\n' + ',\n'.join(json.dumps({'in': s, 'out': ''}, ensure_ascii=False) for s in unique) + '\n]\n')

main()
