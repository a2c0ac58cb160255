#!/usr/bin/env python3
"""The sound map page of panelhost --check --report, read back with an HTML
parser: for the example aircraft and for a hostile one whose names carry
markup. Every configured sound has its row, every write its writer, every
finding of the check's output its place; nothing is fetched from elsewhere and
nothing taken from the aircraft's files turns into markup. The page leaves
the check's lines and exit status as they are; a page that cannot be written
is one line and exit 2.

    python3 tests/sound_map_test.py BUILD_DIR SOURCE_DIR   (wine set up by sound_map_test.sh)
    ... BUILD_DIR SOURCE_DIR --time N: how long the page takes for an aircraft of N sounds
"""
import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.parse
import wave

BUILD, SOURCE = sys.argv[1], sys.argv[2]
PANELHOST = os.path.join(BUILD, "bin", "panelhost.exe")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what)
    return condition


def windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def unix(path):
    assert path[:2].upper() == "Z:", path
    return path[2:].replace("\\", "/")


def run(*arguments):
    done = subprocess.run(["wine", PANELHOST] + list(arguments), stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    return done.returncode, done.stdout.decode("latin-1").replace("\r", ""), done.stderr.decode("latin-1").replace("\r", "")


# The elements the page may hold; anything else is markup that came from a file.
ALLOWED = {"html", "head", "meta", "title", "style", "body", "header", "main", "footer", "section", "h1", "h2", "h3",
           "p", "div", "span", "code", "br", "table", "colgroup", "col", "thead", "tbody", "tr", "th", "td", "ul", "li",
           "svg", "path", "audio", "a"}
VOID = {"meta", "br", "col"}


class Node:
    def __init__(self, tag, attrs, parent):
        self.tag, self.attrs, self.parent, self.children = tag, dict(attrs), parent, []

    def text(self):
        return "".join(child if isinstance(child, str) else child.text() for child in self.children)

    def classes(self):
        return (self.attrs.get("class") or "").split()

    def all(self, tag=None, cls=None):
        for child in self.children:
            if isinstance(child, Node):
                if (tag is None or child.tag == tag) and (cls is None or cls in child.classes()):
                    yield child
                yield from child.all(tag, cls)


class StrictPage(html.parser.HTMLParser):
    """Builds a tree and notes every fault: unknown or unclosed elements, a
    doctype other than HTML5's, references the page must not make."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = Node("#root", [], None)
        self.at = self.root
        self.faults = []
        self.doctype = None
        self.ids = set()

    def handle_decl(self, decl):
        self.doctype = decl

    def _attributes(self, tag, attrs):
        for name, value in attrs:
            if name.startswith("on"):
                self.faults.append("event handler %s on <%s>" % (name, tag))
            if name in ("src", "href", "action", "srcset", "poster", "data", "xlink:href"):
                scheme = urllib.parse.urlsplit(value or "").scheme.lower()
                if (value or "").startswith("//") or scheme not in ("", "file"):
                    self.faults.append("<%s %s=%r> fetches from elsewhere" % (tag, name, value))
            if name == "id":
                if value in self.ids:
                    self.faults.append("id %r twice" % value)
                self.ids.add(value)
        if tag == "meta" and any(name == "http-equiv" for name, _ in attrs):
            self.faults.append("<meta http-equiv>")

    def handle_starttag(self, tag, attrs):
        if tag not in ALLOWED:
            self.faults.append("element <%s>" % tag)
        self._attributes(tag, attrs)
        node = Node(tag, attrs, self.at)
        self.at.children.append(node)
        if tag not in VOID:
            self.at = node

    def handle_startendtag(self, tag, attrs):
        if tag not in ALLOWED:
            self.faults.append("element <%s/>" % tag)
        self._attributes(tag, attrs)
        self.at.children.append(Node(tag, attrs, self.at))

    def handle_endtag(self, tag):
        if tag in VOID:
            self.faults.append("end tag of the void element %s" % tag)
        elif self.at.tag != tag:
            self.faults.append("</%s> closes <%s>" % (tag, self.at.tag))
        else:
            self.at = self.at.parent

    def handle_data(self, data):
        self.at.children.append(data)


def read_page(path, name):
    with open(path, "rb") as file:
        raw = file.read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        check(False, "%s: not UTF-8: %s" % (name, error))
        text = raw.decode("utf-8", "replace")
    parser = StrictPage()
    parser.feed(text)
    parser.close()
    check(parser.doctype is not None and parser.doctype.lower() == "doctype html", "%s: doctype %r" % (name, parser.doctype))
    check(parser.at is parser.root, "%s: <%s> never closed" % (name, parser.at.tag))
    for fault in parser.faults:
        check(False, "%s: %s" % (name, fault))
    root = parser.root
    check(any(meta.attrs.get("charset", "").lower() == "utf-8" for meta in root.all("meta")), name + ": no charset")
    for style in root.all("style"):
        css = style.text().lower()
        check("url(" not in css and "@import" not in css and "http" not in css, name + ": the style fetches")
    check([node.tag for node in root.all("link")] == [] and [n for n in root.all("script")] == [], name + ": link/script")
    return root


def rows_of(root):
    return {(row.attrs.get("data-slot"), row.attrs.get("data-variable")): row for row in root.all("tr", "sound")}


def writers_of(node):
    return sorted((os.path.basename(w.attrs["data-file"].replace("\\", "/")), int(w.attrs["data-line"]),
                   int(w.attrs["data-use-line"]), w.attrs["data-role"], w.attrs["data-code"], w.attrs["data-conditional"])
                  for w in node.all("li", "writer"))


def finding_texts(node):
    return [" ".join(li.text().split()) for li in node.all("li", "finding")]


def check_findings_listed(root, out, name):
    """Every ERROR and WARNING line of the check's output is on the page, once per line."""
    lines = [line for line in out.split("\n") if line.startswith("ERROR ") or line.startswith("WARNING ")]
    page = finding_texts(root)
    for line in lines:
        check(" ".join(line.split()) in page, "%s: the finding is not on the page: %s" % (name, line))
    listed = [text for text in page if not text.startswith("NOTE ")]
    check(len(listed) == len(lines), "%s: %d findings on the page, %d in the output" % (name, len(listed), len(lines)))
    return lines


def check_players(root, page_path, expected_files, name, undrawn=()):
    """Each row's player points at its WAV file, relative to the page; each
    8- or 16-bit PCM file (all but the slots UNDRAWN) has its waveform."""
    for (slot, variable), row in rows_of(root).items():
        if slot == "global" or slot not in expected_files:
            continue
        wanted = expected_files[slot]
        audios = list(row.all("audio"))
        if wanted is None:
            check(not audios, "%s: slot %s has a player for a missing file" % (name, slot))
            continue
        if not check(len(audios) == 1, "%s: slot %s has %d players" % (name, slot, len(audios))):
            continue
        src = audios[0].attrs.get("src", "")
        check(not src.startswith("file:") and not src.startswith("/"), "%s: slot %s player not relative: %s" % (name, slot, src))
        target = os.path.normpath(os.path.join(os.path.dirname(page_path), urllib.parse.unquote(src)))
        check(os.path.samefile(target, wanted) if os.path.exists(target) else False,
              "%s: slot %s player %s leads to %s, not %s" % (name, slot, src, target, wanted))
        svg = list(row.all("svg"))
        if slot in undrawn:
            check(not svg, "%s: slot %s has a waveform" % (name, slot))
            continue
        check(len(svg) == 1 and list(svg[0].all("path")) and len(list(svg[0].all("path"))[0].attrs.get("d", "")) > 100,
              "%s: slot %s has no waveform" % (name, slot))


def same_run(arguments, report, name):
    """The check with and without the page: the same lines, the same status."""
    plain = run(*arguments)
    with_page = run(*(arguments + ["--report", windows(report)]))
    check(plain[0] == with_page[0], "%s: exit %d without the page, %d with it" % (name, plain[0], with_page[0]))
    check(plain[1] == with_page[1], "%s: the check's lines differ with the page" % name)
    check(os.path.isfile(report), "%s: no page written (%s)" % (name, with_page[2].strip()))
    return with_page


def line_of(path, marker):
    with open(path, encoding="utf-8") as file:
        for number, line in enumerate(file, 1):
            if marker in line:
                return number
    raise AssertionError("%s not in %s" % (marker, path))


def example_aircraft(work):
    name = "example"
    aircraft = os.path.join(BUILD, "examples", "aircraft")
    page_path = os.path.join(work, "example.html")
    status, out, _ = same_run(["--check", windows(aircraft)], page_path, name)
    check(status == 0, "example: exit %d" % status)
    if not os.path.isfile(page_path):
        return None
    root = read_page(page_path, name)
    rows = rows_of(root)
    check(set(rows) == {("0", "demo_chime"), ("1", "demo_engine"), ("2", "demo_click"), ("global", "KVOGlobals")},
          "example: rows %s" % sorted(rows))
    buttons = os.path.join(SOURCE, "examples", "aircraft", "panel", "kvo_example_xml", "Buttons.xml")
    engine = os.path.join(SOURCE, "examples", "kvo_example_cab", "Engine.xml")
    globals_line = line_of(buttons, "<Macro Name=\"Globals\">")
    engine_line = line_of(engine, "L:demo_engine, number")
    stop_all, mute = line_of(buttons, "<Click>1 (&gt;@Globals)"), line_of(buttons, "if{ 3 (&gt;@Globals)")
    loop, stop = line_of(engine, "if{ 2 (&gt;@EngineSound)"), line_of(engine, "if{ 0 (&gt;@EngineSound)")
    quieter, louder = line_of(engine, "-1800 (&gt;L:kvo"), line_of(engine, "<Script>0 (&gt;L:kvo")
    expected = {
        ("0", "demo_chime"): [("Buttons.xml", line_of(buttons, "demo_chime"), line_of(buttons, "demo_chime"), "click", "1", "0")],
        ("2", "demo_click"): [("Buttons.xml", line_of(buttons, "demo_click"), line_of(buttons, "demo_click"), "click", "1", "0")],
        ("global", "KVOGlobals"): sorted([("Buttons.xml", globals_line, stop_all, "click", "1", "0"),
                                          ("Buttons.xml", globals_line, mute, "click", "3", "1"),
                                          ("Buttons.xml", globals_line, mute, "click", "2", "1")]),
        ("1", "demo_engine"): sorted([("Engine.xml", engine_line, loop, "update", "2", "1"),
                                      ("Engine.xml", engine_line, stop, "update", "0", "1"),
                                      ("Engine.xml", engine_line, quieter, "click", "3", "0"),
                                      ("Engine.xml", engine_line, louder, "click", "3", "0")]),
    }
    for key, writers in expected.items():
        if key in rows:
            check(writers_of(rows[key]) == writers, "example: writers of %s: %s, not %s" % (key, writers_of(rows[key]), writers))
    check(not [row for row in rows.values() if "unwritten" in row.classes()], "example: a sound marked unwritten")
    sounds = os.path.join(aircraft, "sounds")
    check_players(root, page_path, {"0": os.path.join(sounds, "chime.wav"), "1": os.path.join(sounds, "engine.wav"),
                                    "2": os.path.join(sounds, "click.wav")}, name)
    check_findings_listed(root, out, name)
    # The configuration on its own: its rows, no gauges to tell who writes them.
    ini_page = os.path.join(work, "ini.html")
    status, _, _ = same_run(["--check", windows(os.path.join(aircraft, "sound.ini"))], ini_page, "example INI")
    if os.path.isfile(ini_page):
        ini_rows = rows_of(read_page(ini_page, "example INI"))
        check(set(ini_rows) == set(rows) and not [r for r in ini_rows.values() if "unwritten" in r.classes()],
              "example INI: rows %s" % sorted(ini_rows))
    text = root.text()
    for fact in ("kvo_sound Example", "[fltsim.0]", "kvo_sound.gau", "32-bit", "PCM 16-bit", "-600"):
        check(fact in text, "example: the page does not say %r" % fact)
    return page_path


def write_wav(path, bits, channels, frames, rate=22050):
    with wave.open(path, "wb") as out:
        out.setnchannels(channels)
        out.setsampwidth(bits // 8)
        out.setframerate(rate)
        samples = bytearray()
        for n in range(frames):
            level = (n % 100) / 100.0 - 0.5
            for _ in range(channels):
                samples += bytes([int(128 + level * 200)]) if bits == 8 else struct.pack("<h", int(level * 50000))
        out.writeframes(bytes(samples))


def write_float_wav(path, frames, rate=22050):
    data = b"".join(struct.pack("<f", (n % 50) / 50.0 - 0.5) for n in range(frames))
    fmt = struct.pack("<HHIIHH", 3, 1, rate, rate * 4, 4, 32)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    with open(path, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="latin-1", newline="\r\n") as out:
        out.write(text)


TITLE = "<script>alert(\"title\")</script> & 'Co'"
CHIME = "<i>chime</i> \"q\" & 'a'"
NEAR_MISS = "<i>chime</i> \"q\" & 'b'"
ENGINE = "eng&ine"
GONE = "gone<var>"
FLOAT = "float\"var\""
QUIET = "quiet</td>one"
GLOBAL = "<glob>&\"all\""
MISSING_GAUGE = "<b>gone</b>!\"x\""


def xml(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def hostile_aircraft(work):
    name = "hostile"
    sim = os.path.join(work, "sim & 'x'")
    os.makedirs(os.path.join(sim, "Gauges"))
    plane = os.path.join(sim, "SimObjects", "Airplanes", "Hostile & 'Co'")
    panel = os.path.join(plane, "panel")
    write(os.path.join(plane, "aircraft.cfg"),
          "[fltsim.0]\ntitle=%s\npanel=\n[fltsim.1]\ntitle=Gone\npanel=gone\n" % TITLE)
    write(os.path.join(panel, "panel.cfg"),
          "[Window00]\nvisible=1\n"
          "gauge00=kvo_sound!Sound, 0,0,1,1, snd & 'q'.ini\n"
          "gauge01=xml & 'co'!Btn's & co, 0,0,10,10\n"
          "gauge02=compiled & co!Dial, 0,0,10,10\n"
          "gauge03=%s, 0,0,10,10\n" % MISSING_GAUGE)
    shutil.copyfile(os.path.join(BUILD, "bin", "kvo_sound.dll"), os.path.join(panel, "kvo_sound.gau"))
    write(os.path.join(panel, "compiled & co.gau"), "a compiled gauge of someone else's")
    sounds = os.path.join(panel, "sounds")
    os.makedirs(sounds)
    files = {"0": os.path.join(sounds, "a&b 'c'.wav"), "1": os.path.join(sounds, "eight.wav"), "2": None,
             "3": os.path.join(sounds, "float.wav"), "4": os.path.join(sounds, "quiet.wav")}
    write_wav(files["0"], 16, 1, 4000)
    write_wav(files["1"], 8, 2, 3000)
    write_float_wav(files["3"], 2000)
    write_wav(files["4"], 16, 2, 2000)
    ini = os.path.join(panel, "snd & 'q'.ini")
    write(ini, "[Config]\nMaxSounds=5\nGlobalCommands=%s\n[Sounds]\nSound00=sounds\\a&b 'c'.wav\n"
               "Sound01=sounds\\eight.wav,-600\nSound02=sounds\\<gone>.wav\nSound03=sounds\\float.wav,50\n"
               "Sound04=sounds\\quiet.wav\n[LVars]\nLvar00=%s\nLvar01=%s\nLvar02=%s\nLvar03=%s\nLvar04=%s\n"
          % (GLOBAL, CHIME, ENGINE, GONE, FLOAT, QUIET))
    gauge = os.path.join(panel, "xml & 'co'", "Btn's & co.xml")
    write(gauge, """<Gauge Name="Btn" Version="1.0">
<Macro Name="Chime">L:%(chime)s, number</Macro>
<Update>(A:GENERAL ENG COMBUSTION:1, bool) if{ 2 (&gt;L:%(engine)s, number) }</Update>
<Element>
<Select>
<Value>(A:LIGHT LANDING, bool) (&gt;L:%(gone)s, number)</Value>
</Select>
</Element>
<Mouse>
<Area Left="0" Top="0" Width="5" Height="5">
<Click>1 (&gt;@Chime)</Click>
</Area>
<Area Left="5" Top="0" Width="5" Height="5">
<Click>(L:x, bool) if{ 7 (&gt;L:%(float)s, number) }
1 (&gt;L:%(global)s, number)</Click>
</Area>
<Area Left="0" Top="5" Width="5" Height="5">
<Click>1 (&gt;L:%(near)s, number) 1 (&gt;L:kvo_xml_id_9, number) 12 (&gt;L:%(engine)s, number)</Click>
</Area>
</Mouse>
</Gauge>
""" % {"chime": xml(CHIME), "engine": xml(ENGINE), "gone": xml(GONE), "float": xml(FLOAT), "global": xml(GLOBAL),
       "near": xml(NEAR_MISS)})

    page_path = os.path.join(work, "hostile & 'page'.html")
    status, out, err = same_run(["--check", windows(plane), "--sim-folder", windows(sim)], page_path, name)
    check(status == 1, "hostile: exit %d (%s)" % (status, err.strip()))
    if not os.path.isfile(page_path):
        return None
    root = read_page(page_path, name)
    text = root.text()
    for hostile in (TITLE, CHIME, NEAR_MISS, ENGINE, GONE, FLOAT, QUIET, GLOBAL, MISSING_GAUGE, "compiled & co!Dial",
                    "snd & 'q'.ini", "xml & 'co'!Btn's & co"):
        check(hostile in text, "hostile: %r is not on the page as text" % hostile)
    check(TITLE in next(root.all("title")).text(), "hostile: the title")

    rows = rows_of(root)
    check(set(rows) == {("0", CHIME), ("1", ENGINE), ("2", GONE), ("3", FLOAT), ("4", QUIET), ("global", GLOBAL)},
          "hostile: rows %s" % sorted(rows))
    click, options, third = line_of(gauge, "1 (&gt;@Chime)"), line_of(gauge, "if{ 7"), line_of(gauge, "kvo_xml_id_9")
    base = "Btn's & co.xml"
    expected = {
        ("0", CHIME): [(base, line_of(gauge, "<Macro"), click, "click", "1", "0")],
        ("1", ENGINE): sorted([(base, line_of(gauge, "<Update>"), line_of(gauge, "<Update>"), "update", "2", "1"),
                               (base, third, third, "click", "12", "0")]),
        ("2", GONE): [(base, line_of(gauge, "<Value>"), line_of(gauge, "<Value>"), "value", "computed", "0")],
        ("3", FLOAT): [(base, options, options, "click", "7", "1")],
        ("4", QUIET): [],
        ("global", GLOBAL): [(base, options + 1, options + 1, "click", "1", "0")],
    }
    for key, writers in expected.items():
        if key in rows:
            check(writers_of(rows[key]) == writers, "hostile: writers of %s: %s, not %s" % (key, writers_of(rows[key]), writers))
    check([key for key, row in rows.items() if "unwritten" in row.classes()] == [("4", QUIET)], "hostile: unwritten rows")
    check_players(root, page_path, files, name, undrawn={"3"})

    lines = check_findings_listed(root, out, name)
    # The findings in place: the unloadable file in its row, the wrong code in
    # the engine's, the unwritten sound's in its own; the near miss with the
    # writes nobody plays; the missing panel and the unfound gauges at the end.
    def placed(node, fragment):
        return any(fragment in text for text in finding_texts(node))
    if ("2", GONE) in rows:
        check(placed(rows[("2", GONE)], "<gone>.wav: the sound does not load"), "hostile: the missing WAV's finding in place")
    if ("1", ENGINE) in rows:
        check(placed(rows[("1", ENGINE)], ": 12: written into the command variable eng&ine"), "hostile: code 12 in place")
    if ("4", QUIET) in rows:
        check(placed(rows[("4", QUIET)], "no XML gauge of this panel writes this command variable"), "hostile: unwritten")
    unplayed = {block.attrs.get("data-variable"): block for block in root.all("div", "unplayed")}
    check(set(unplayed) == {NEAR_MISS, "kvo_xml_id_9"}, "hostile: writes nobody plays: %s" % sorted(unplayed))
    if NEAR_MISS in unplayed:
        check(placed(unplayed[NEAR_MISS], "resembles " + CHIME), "hostile: the near miss's finding in place")
        check(writers_of(unplayed[NEAR_MISS]) == [(base, third, third, "click", "1", "0")], "hostile: the near miss's writer")
    rest = next(node for node in root.all("section") if node.attrs.get("id") == "other-findings")
    check(placed(rest, "[fltsim.1]: its panel"), "hostile: the missing panel at the end")
    check(placed(rest, "gauge of this panel not found"), "hostile: the unfound gauges at the end")
    gauges = [" ".join(li.text().split()) for li in root.all("li", "gauge")]
    check(any(MISSING_GAUGE in g and "not found" in g for g in gauges) and any("compiled & co!Dial" in g for g in gauges),
          "hostile: the missing and compiled gauges: %s" % gauges)
    check(len(lines) >= 5, "hostile: only %d findings" % len(lines))
    return page_path


def unwritable(work):
    aircraft = os.path.join(BUILD, "examples", "aircraft")
    status, out, err = run("--check", windows(aircraft), "--report", windows(os.path.join(work, "no folder", "page.html")))
    check(status == 2, "unwritable page: exit %d" % status)
    check(len(err.strip().split("\n")) == 1 and "cannot be written" in err, "unwritable page: stderr %r" % err)
    check(out.rstrip().endswith("check: 0 errors, 0 warnings"), "unwritable page: the check's lines")
    status, _, err = run("--report", windows(os.path.join(work, "page.html")), windows(aircraft))
    check(status == 2 and "--report goes with --check" in err, "--report without --check: exit %d" % status)


def timing(work, count):
    """An aircraft of COUNT sounds, each with its WAV file and a click that
    plays it: how long the check takes without the page and with it."""
    import time
    plane = os.path.join(work, "Big")
    panel = os.path.join(plane, "panel")
    write(os.path.join(plane, "aircraft.cfg"), "[fltsim.0]\ntitle=Big\npanel=\n")
    write(os.path.join(panel, "panel.cfg"), "[Window00]\ngauge00=kvo_sound!Sound, 0,0,1,1, sound.ini\n" +
          "".join("gauge%02d=big!G%d, 0,0,10,10\n" % (g + 1, g) for g in range((count + 99) // 100)))
    shutil.copyfile(os.path.join(BUILD, "bin", "kvo_sound.dll"), os.path.join(panel, "kvo_sound.gau"))
    os.makedirs(os.path.join(panel, "sounds"))
    for n in range(count):
        write_wav(os.path.join(panel, "sounds", "s%d.wav" % n), 16, 1, 11025)
    write(os.path.join(panel, "sound.ini"), "[Config]\nMaxSounds=%d\n[Sounds]\n" % count +
          "".join("Sound%02d=sounds\\s%d.wav\n" % (n, n) for n in range(count)) + "[LVars]\n" +
          "".join("Lvar%02d=big_%d\n" % (n, n) for n in range(count)))
    for g in range((count + 99) // 100):
        areas = "".join("<Area Left=\"0\" Top=\"0\" Width=\"1\" Height=\"1\"><Click>1 (&gt;L:big_%d, number)</Click></Area>\n"
                        % n for n in range(g * 100, min(count, g * 100 + 100)))
        write(os.path.join(panel, "big", "G%d.xml" % g), "<Gauge Name=\"G\" Version=\"1.0\"><Mouse>\n%s</Mouse></Gauge>\n" % areas)
    started = time.time()
    plain = run("--check", windows(plane))
    middle = time.time()
    page = os.path.join(work, "big.html")
    with_page = run("--check", windows(plane), "--report", windows(page))
    ended = time.time()
    rows = len(rows_of(read_page(page, "big")))
    print("%d sounds: the check %.1f s, with the page %.1f s (the page: %.1f s, %d bytes, %d rows); exit %d and %d"
          % (count, middle - started, ended - middle, (ended - middle) - (middle - started), os.path.getsize(page), rows,
             plain[0], with_page[0]))
    check(rows == count + 1, "big: %d rows" % rows)


def main():
    work = tempfile.mkdtemp(prefix="sound_map.", dir=BUILD)
    if len(sys.argv) > 4 and sys.argv[3] == "--time":
        timing(work, int(sys.argv[4]))
        shutil.rmtree(work, ignore_errors=True)
        return 1 if failures else 0
    try:
        example_aircraft(work)
        hostile_aircraft(work)
        unwritable(work)
    finally:
        if not failures:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print("pages kept in " + work)
    print("%d failed" % len(failures) if failures else "sound map: all checks passed")
    return 1 if failures else 0


sys.exit(main())
