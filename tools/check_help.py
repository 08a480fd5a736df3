#!/usr/bin/env python3
"""Checks Sonkora's help folder: index.txt, the pages and the links between them.

    check_help.py HELP_FOLDER

Fails (exit 1, one line per problem) when a help context the program uses has no page,
when index.txt is malformed or points at a missing page or anchor, when a link between
pages is broken, when a page is not well formed, lacks its title, character set or style
sheet, loads anything from outside the folder, or cannot be reached from the contents
page.
"""

import html.parser
import pathlib
import re
import sys

# Every help context number the program passes to its help window. 20000 is also what
# Help, Contents and the first start show.
CONTEXTS = ["20000", "20002", "20003", "20004", "25000", "10006", "11006",
            "11007", "11008", "13001", "13002", "13003", "13004", "13005", "13006",
            "13007", "13008", "10001", "15003",
            "15001", "15002"]

VOID_ELEMENTS = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
                 "meta", "source", "track", "wbr"}
FORBIDDEN_ELEMENTS = {"script", "iframe", "object", "embed", "frame", "frameset",
                      "applet", "base"}
OUTSIDE = re.compile(r"^([a-zA-Z][a-zA-Z0-9+.-]*:|//)")


class Page(html.parser.HTMLParser):
    """What the checks need to know about one page."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.problems, self.anchors, self.links = [], set(), []
        self.stylesheets, self.charset, self.title = [], None, ""
        self.stack, self.in_title = [], False

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        line = self.getpos()[0]
        if tag in FORBIDDEN_ELEMENTS:
            self.problems.append("line %d: <%s> is not allowed" % (line, tag))
        for name in ("name", "id"):
            if name in attributes and (tag == "a" or name == "id"):
                if attributes[name] in self.anchors:
                    self.problems.append("line %d: anchor %r twice" % (line, attributes[name]))
                self.anchors.add(attributes[name])
        if tag == "meta" and "charset" in attributes:
            self.charset = attributes["charset"].lower()
        if tag == "link" and attributes.get("rel") == "stylesheet":
            self.stylesheets.append(attributes.get("href", ""))
            # Qt's rich text viewer loads a linked style sheet only with this type.
            if attributes.get("type") != "text/css":
                self.problems.append('line %d: the style sheet link needs type="text/css"' % line)
        for name in ("href", "src"):
            if name in attributes and not (tag == "link" and name == "href"):
                self.links.append((line, attributes[name] or ""))
        if tag == "title":
            self.in_title = True
        if tag not in VOID_ELEMENTS:
            self.stack.append((tag, line))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID_ELEMENTS:
            self.stack.pop()

    def handle_endtag(self, tag):
        line = self.getpos()[0]
        if tag == "title":
            self.in_title = False
        if tag in VOID_ELEMENTS:
            return
        if not self.stack or self.stack[-1][0] != tag:
            open_tag = "<%s> of line %d" % self.stack[-1] if self.stack else "nothing"
            self.problems.append("line %d: </%s> closes %s" % (line, tag, open_tag))
            return
        self.stack.pop()

    def handle_data(self, data):
        if self.in_title:
            self.title += data

    def finish(self):
        self.close()
        for tag, line in self.stack:
            self.problems.append("line %d: <%s> is never closed" % (line, tag))


def read_page(path):
    page = Page()
    try:
        page.feed(path.read_bytes().decode("utf-8"))
    except UnicodeDecodeError as error:
        page.problems.append("not UTF-8: %s" % error)
    page.finish()
    if not page.title.strip():
        page.problems.append("no <title>")
    if page.charset != "utf-8":
        page.problems.append('no <meta charset="utf-8">')
    if page.stylesheets != ["style.css"]:
        page.problems.append("must link style.css and nothing else, links %s" % page.stylesheets)
    return page


def read_index(path):
    """Topics and keywords of index.txt, with the line of each entry.

    An entry is CONTEXT<tab>TOPIC[<tab>KEYWORD;KEYWORD...], CONTEXT a help context
    number or "-". The help window passes over a line it cannot read without a word,
    so every such line is a problem here."""
    topics, keywords, problems = [], [], []
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        fields = [field.strip() for field in line.split("\t")]
        if len(fields) < 2 or not fields[1]:
            problems.append("index.txt:%d: not CONTEXT<tab>TOPIC[<tab>KEYWORDS]: %r"
                            % (number, raw))
            continue
        context, target = fields[0], fields[1]
        if not (context.isdigit() or context == "-"):
            problems.append("index.txt:%d: %r is neither a context number nor -"
                            % (number, context))
        if context.isdigit():
            topics.append((number, context, target))
        words = [word.strip() for field in fields[2:] for word in field.split(";")]
        if any(not word for word in words):
            problems.append("index.txt:%d: an empty keyword" % number)
        if context == "-" and not words:
            problems.append("index.txt:%d: a - line without keywords" % number)
        keywords += [(number, word, target) for word in words if word]
    return {"topics": topics, "keywords": keywords}, problems


def split_target(target):
    page, _, anchor = target.partition("#")
    return page, anchor


def check(folder):
    problems = []
    pages = {path.name: read_page(path) for path in sorted(folder.glob("*.html"))}
    for name, page in pages.items():
        problems += ["%s: %s" % (name, problem) for problem in page.problems]

    def target_problem(target, base):
        """Why a link or index target leads nowhere, or None."""
        if OUTSIDE.match(target):
            return "leads outside the help folder: %s" % target
        file_name, anchor = split_target(target)
        file_name = file_name or base
        if "/" in file_name or file_name not in pages:
            if file_name == "style.css" or (folder / file_name).is_file():
                return None if not anchor else "anchor on a file that is no page: %s" % target
            return "no page %s" % file_name
        if anchor and anchor not in pages[file_name].anchors:
            return "no anchor #%s on %s" % (anchor, file_name)
        return None

    for name, page in pages.items():
        for line, target in page.links:
            problem = target_problem(target, name)
            if problem:
                problems.append("%s:%d: link %s" % (name, line, problem))

    index, index_problems = read_index(folder / "index.txt")
    problems += index_problems
    topics = {}
    for number, key, target in index["topics"]:
        if key in topics:
            problems.append("index.txt:%d: topic %s given twice" % (number, key))
        topics[key] = target
        if key not in CONTEXTS:
            problems.append("index.txt:%d: %s is no help context of the program" % (number, key))
        problem = target_problem(target, "")
        if problem:
            problems.append("index.txt:%d: %s" % (number, problem))
    for key in CONTEXTS:
        if key not in topics:
            problems.append("index.txt: no topic for help context %s" % key)
    seen = {}
    for number, keyword, target in index["keywords"]:
        # The keyword list shows one line per entry: a keyword given twice would show
        # twice under the same words.
        if keyword.lower() in seen:
            problems.append("index.txt:%d: keyword %r also on line %d"
                            % (number, keyword, seen[keyword.lower()]))
        seen.setdefault(keyword.lower(), number)
        problem = target_problem(target, "")
        if problem:
            problems.append("index.txt:%d: %s" % (number, problem))

    # Every page can be found by following links from the contents page.
    start = split_target(topics.get("20000", "contents.html"))[0]
    reached, waiting = set(), [start]
    while waiting:
        name = waiting.pop()
        if name in reached or name not in pages:
            continue
        reached.add(name)
        for _, target in pages[name].links:
            file_name = split_target(target)[0]
            if file_name and not OUTSIDE.match(target):
                waiting.append(file_name)
    for name in sorted(set(pages) - reached):
        problems.append("%s: cannot be reached from %s" % (name, start))

    style = folder / "style.css"
    if not style.is_file():
        problems.append("style.css is missing")
    elif re.search(r"url\s*\(|@import", style.read_text(encoding="utf-8")):
        problems.append("style.css loads other files")
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = pathlib.Path(sys.argv[1])
    problems = check(folder)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        return 1
    print("%s: %d pages, index and links hold" % (folder, len(list(folder.glob("*.html")))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
