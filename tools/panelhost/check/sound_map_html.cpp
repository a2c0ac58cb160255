// The sound map's page: one self-contained HTML5 file (its style inline, no
// script, nothing from the network) that reads at a laptop's width and in
// print. Every text taken from the aircraft's files is made valid UTF-8 and
// escaped; the players point at the WAV files by URLs relative to the page.
#include <windows.h>
#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>

#include "tools/panelhost/check/install.h"
#include "tools/panelhost/check/sound_map.h"
#include "tools/panelhost/check/wav_info.h"
#include "tools/panelhost/common/common.h"
#include "tools/panelhost/common/names.h"

namespace {

const size_t kWaveColumns = 400;
const int kWaveHeight = 64;
const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

const char kStyle[] =
    ":root{--ink:#1b1f24;--muted:#5b6470;--line:#d5dae0;--error:#b3261e;--warning:#8a5a00;--stand:#fff4d6;"
    "--accent:#1f5fa8}"
    "*{box-sizing:border-box}"
    "body{margin:0;font:14px/1.45 system-ui,-apple-system,\"Segoe UI\",Roboto,\"Helvetica Neue\",Arial,sans-serif;"
    "color:var(--ink);background:#fff}"
    "header,main,footer{max-width:1400px;margin:0 auto;padding:0 16px}"
    "header{padding-top:16px}"
    "h1{font-size:22px;margin:0 0 4px}h2{font-size:18px;margin:24px 0 8px;border-bottom:1px solid var(--line)}"
    "h3{font-size:15px;margin:16px 0 6px}"
    "code,.mono{font-family:ui-monospace,\"Cascadia Mono\",Consolas,\"DejaVu Sans Mono\",monospace;font-size:12.5px}"
    "code,td,li{overflow-wrap:anywhere}"
    ".summary{color:var(--muted);margin:0}"
    ".facts th{text-align:left;vertical-align:top;padding:2px 12px 2px 0;white-space:nowrap;font-weight:600}"
    ".facts td{padding:2px 0}.facts ul{margin:0;padding-left:18px}"
    "table.sounds{width:100%;border-collapse:collapse;table-layout:fixed}"
    "table.sounds th{text-align:left;font-weight:600;border-bottom:2px solid var(--line);padding:6px}"
    "table.sounds td{vertical-align:top;border-bottom:1px solid var(--line);padding:8px 6px}"
    "col.c-slot{width:15%}col.c-wav{width:22%}col.c-listen{width:25%}col.c-drivers{width:38%}"
    ".key{font-weight:600}.muted,.path{color:var(--muted);font-size:12px}"
    "tr.unwritten td{background:var(--stand)}tr.unwritten td:first-child{box-shadow:inset 4px 0 0 var(--warning)}"
    "tr.global td{background:#f3f6fa}"
    ".stand{font-weight:600;color:var(--warning)}"
    "svg.wave{display:block;width:100%;height:56px;color:var(--accent);background:#f6f8fa;border:1px solid var(--line)}"
    "audio{display:block;width:100%;margin-top:6px;height:32px}"
    "ul.writers,ul.findings,ul.list{margin:4px 0;padding-left:18px}"
    "li.writer{margin:2px 0}.gauge{font-weight:600}.role{color:var(--accent)}.cond{color:var(--muted)}"
    "li.finding{margin:2px 0}li.error .level{color:var(--error);font-weight:700}"
    "li.warning .level{color:var(--warning);font-weight:700}li.note .level{color:var(--muted)}"
    ".codes{margin:0 0 4px}"
    ".unplayed{border-left:4px solid var(--error);background:#fdf0ef;padding:6px 10px;margin:6px 0}"
    "footer{color:var(--muted);font-size:12px;padding-top:24px;padding-bottom:24px}"
    "@media (max-width:820px){table.sounds,table.sounds tbody,table.sounds tr,table.sounds td{display:block;width:100%}"
    "table.sounds thead{display:none}table.sounds tr{border-bottom:2px solid var(--line)}"
    "table.sounds td{border:0}}"
    "@media print{body{font-size:10.5px}header,main,footer{max-width:none;padding:0}audio{display:none}"
    "table.sounds tr{break-inside:avoid}h2{break-after:avoid}"
    "tr.unwritten td,tr.global td,.unplayed{-webkit-print-color-adjust:exact;print-color-adjust:exact}}";

// The code points HTML does not take as text: controls other than the
// blanks, and the noncharacters.
bool Unwanted(unsigned long c) {
    if (c < 0x20) return c != '\t' && c != '\n' && c != '\r';
    if (c >= 0x7F && c <= 0x9F) return true;
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// The length of the UTF-8 sequence at I and its code point; 0 when invalid.
size_t Utf8Sequence(const std::string& text, size_t i, unsigned long* code) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    unsigned long value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    static const unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *code = value;
    return length;
}

bool IsUtf8(const std::string& text) {
    unsigned long code;
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8Sequence(text, i, &code);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

// TEXT as UTF-8: kept when it is, else read in the ANSI code page the
// aircraft's files and the check's lines are written in.
std::string Utf8(const std::string& text) {
    if (IsUtf8(text)) return text;
    int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return "";
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &buffer[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return "";
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, &result[0], bytes, nullptr, nullptr);
    return result;
}

// TEXT as HTML text or attribute value: markup characters as references,
// what HTML does not take as U+FFFD.
std::string Html(const std::string& text) {
    std::string utf8 = Utf8(text);
    std::string out;
    out.reserve(utf8.size() + 16);
    unsigned long code;
    for (size_t i = 0; i < utf8.size();) {
        size_t length = Utf8Sequence(utf8, i, &code);
        if (length == 0) {  // not from a conversion that worked
            out += kReplacement;
            ++i;
            continue;
        }
        if (Unwanted(code)) out += kReplacement;
        else if (code == '&') out += "&amp;";
        else if (code == '<') out += "&lt;";
        else if (code == '>') out += "&gt;";
        else if (code == '"') out += "&quot;";
        else if (code == '\'') out += "&#39;";
        else out.append(utf8, i, length);
        i += length;
    }
    return out;
}

std::string Number(double value, const char* format) {
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

// A path's parts between its separators.
std::vector<std::string> PathParts(const std::string& path) {
    std::vector<std::string> parts;
    size_t begin = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\' && path[i] != '/') continue;
        if (i > begin) parts.push_back(path.substr(begin, i - begin));
        begin = i + 1;
    }
    return parts;
}

// A URL path segment: the UTF-8 bytes of PART, all but the unreserved ones percent-encoded.
std::string UrlSegment(const std::string& part) {
    std::string utf8 = Utf8(part), out;
    for (unsigned char c : utf8) {
        if (isalnum(c) || strchr("-._~", c) != nullptr) {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

// The URL of the file at TARGET (a full path) from a page in PAGEFOLDER:
// relative on the same drive, so that the page and the aircraft can move
// together, else a file: URL.
std::string FileUrl(const std::string& pageFolder, const std::string& target) {
    std::vector<std::string> from = PathParts(pageFolder), to = PathParts(target);
    bool unc = target.compare(0, 2, "\\\\") == 0;
    if (!unc && !from.empty() && !to.empty() && SameName(from[0], to[0])) {
        size_t common = 0;
        while (common < from.size() && common + 1 < to.size() && SameName(from[common], to[common])) ++common;
        std::string url;
        for (size_t i = common; i < from.size(); ++i) url += "../";
        for (size_t i = common; i < to.size(); ++i) url += (i == common ? "" : "/") + UrlSegment(to[i]);
        return url;
    }
    std::string url = unc ? "file://" : "file:///";
    for (size_t i = 0; i < to.size(); ++i)
        url += (i == 0 ? "" : "/") + (i == 0 && !unc ? to[i] : UrlSegment(to[i]));
    return url;
}

std::string FileName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A gauge file's short name: "Buttons.xml", or "kvo_example_cab.cab\Engine.xml" for a cabinet's entry.
std::string ShortFile(const std::string& path) {
    std::vector<std::string> parts = PathParts(path);
    if (parts.size() >= 2 && parts[parts.size() - 2].size() > 4 &&
        SameName(parts[parts.size() - 2].substr(parts[parts.size() - 2].size() - 4), ".cab"))
        return parts[parts.size() - 2] + "\\" + parts.back();
    return FileName(path);
}

const char* CommandMeaning(long code) {
    static const char* const kCommands[] = {"stop",       "play once",  "loop",          "apply volume",
                                            "report volume", "apply pan", "report pan",  "play once with settings",
                                            "loop with settings", "report loop", "unload", "load on the voice device"};
    return code >= 0 && code <= 11 ? kCommands[code] : nullptr;
}

const char* GlobalMeaning(long code) {
    return code == 1 ? "stop all" : code == 2 ? "mute all" : code == 3 ? "unmute all" : nullptr;
}

// A code as written, with its meaning when it has one.
std::string CodeText(const std::string& value, bool global) {
    char* end = nullptr;
    double number = strtod(value.c_str(), &end);
    const char* meaning = nullptr;
    if (end != nullptr && *end == '\0' && number == static_cast<long>(number))
        meaning = global ? GlobalMeaning(static_cast<long>(number)) : CommandMeaning(static_cast<long>(number));
    return "<code>" + Html(value) + "</code> (" + (meaning != nullptr ? meaning : "not a command: ignored") + ")";
}

struct PageWriter {
    const SoundMapPage& page;
    std::string pageFolder;
    std::string out;
    size_t unreadGauges = 0;

    void Finding(size_t f) {
        const ::Finding& finding = page.findings[f];
        const char* level = finding.level == kFindingError ? "error" : finding.level == kFindingWarning ? "warning" : "note";
        const char* label = finding.level == kFindingError ? "ERROR" : finding.level == kFindingWarning ? "WARNING" : "NOTE";
        std::string where = finding.file + (finding.line > 0 ? ":" + std::to_string(finding.line) : "");
        out += std::string("<li class=\"finding ") + level + "\"><span class=\"level\">" + label + "</span> " +
               Html((where.empty() ? "" : where + ": ") + (finding.item.empty() ? "" : finding.item + ": ") +
                    finding.message) +
               "</li>\n";
    }

    void Findings(const std::vector<size_t>& findings) {
        if (findings.empty()) return;
        out += "<ul class=\"findings\">\n";
        for (size_t f : findings) Finding(f);
        out += "</ul>\n";
    }

    void Writer(const MapWrite& write, bool global) {
        const LVarUse& use = write.use;
        std::string role = use.role == kScriptUpdate  ? "update"
                           : use.role == kScriptValue ? "value"
                           : use.role == kScriptClick ? "click"
                                                      : "other";
        if (use.role == kScriptClick && write.mouseArea >= 0) role += ", mouse area " + std::to_string(write.mouseArea + 1);
        out += "<li class=\"writer\" data-gauge=\"" + Html(write.gauge) + "\" data-file=\"" + Html(write.file) +
               "\" data-line=\"" + std::to_string(use.line) + "\" data-use-line=\"" + std::to_string(use.useLine) +
               "\" data-role=\"" + role.substr(0, role.find(',')) + "\" data-code=\"" +
               (use.constant ? Html(use.value) : "computed") + "\" data-conditional=\"" + (use.conditional ? "1" : "0") +
               "\">";
        out += "<span class=\"gauge\">" + Html(write.gauge) + "</span> <code title=\"" + Html(write.file) + "\">" +
               Html(ShortFile(write.file)) + ":" + std::to_string(use.line) + "</code> <span class=\"role\">" + role +
               "</span> <span class=\"cond\">" + (use.conditional ? "under a condition" : "unconditional") + "</span> ";
        out += use.constant ? "writes " + CodeText(use.value, global) : std::string("writes a computed value");
        if (!use.macro.empty()) {
            out += " <span class=\"macro\">through the macro <code>@" + Html(use.macro) + "</code>";
            if (!use.usedThrough.empty()) out += ", inside <code>@" + Html(use.usedThrough) + "</code>";
            if (use.useLine != use.line) out += ", used at line " + std::to_string(use.useLine);
            out += "</span>";
        }
        out += "</li>\n";
    }

    // The codes the writers write: the constants, and whether any is computed.
    void Codes(const std::vector<size_t>& writers, bool global) {
        std::vector<std::string> constants;
        bool computed = false;
        for (size_t w : writers) {
            const LVarUse& use = page.writes[w].use;
            if (!use.constant) computed = true;
            else if (std::find(constants.begin(), constants.end(), use.value) == constants.end()) constants.push_back(use.value);
        }
        std::sort(constants.begin(), constants.end(),
                  [](const std::string& a, const std::string& b) { return strtod(a.c_str(), nullptr) < strtod(b.c_str(), nullptr); });
        out += "<p class=\"codes\">Codes written: ";
        for (size_t i = 0; i < constants.size(); ++i) out += (i == 0 ? "" : ", ") + CodeText(constants[i], global);
        if (computed) out += std::string(constants.empty() ? "" : ", ") + "computed";
        bool onlyStops = !computed && !global && !constants.empty();
        for (const std::string& value : constants) onlyStops = onlyStops && strtod(value.c_str(), nullptr) == 0;
        if (onlyStops) out += " <span class=\"stand\">(only 0 is ever written: nothing starts this sound)</span>";
        out += "</p>\n";
    }

    // GAUGESREAD: a panel's gauges were read for the configuration (not so
    // for an INI file checked on its own).
    void Drivers(const MapSound& sound, bool gaugesRead) {
        bool global = sound.slot < 0;
        if (!gaugesRead) {
            out += "<p class=\"muted\">No panel's gauges were read: the configuration was checked on its own</p>\n";
        } else if (sound.writers.empty()) {
            out += "<p class=\"stand\">No gauge writes " + Html(sound.variable) +
                   (global ? ": the global commands are never given" : ": this sound never plays");
            if (unreadGauges > 0)
                out += " (unless one of the " + std::to_string(unreadGauges) + " gauges not read does)";
            out += "</p>\n";
        } else {
            Codes(sound.writers, global);
            out += "<ul class=\"writers\">\n";
            for (size_t w : sound.writers) Writer(page.writes[w], global);
            out += "</ul>\n";
        }
        Findings(sound.findings);
    }

    void Waveform(const std::string& path, const WavInfo& info, const std::string& name) {
        std::vector<float> lows, highs;
        if (!WavPeaks(path, info, kWaveColumns, &lows, &highs)) {
            out += "<p class=\"muted\">no picture: " +
                   std::string(!info.opened ? "the file is not there" : "only 8- and 16-bit PCM is drawn") + "</p>\n";
            return;
        }
        int middle = kWaveHeight / 2;
        out += "<svg class=\"wave\" viewBox=\"0 0 " + std::to_string(lows.size()) + " " + std::to_string(kWaveHeight) +
               "\" preserveAspectRatio=\"none\" role=\"img\" aria-label=\"waveform of " + Html(name) +
               "\"><path fill=\"none\" stroke=\"currentColor\" stroke-width=\"1\" vector-effect=\"non-scaling-stroke\" d=\"";
        for (size_t x = 0; x < lows.size(); ++x) {
            int top = middle - static_cast<int>(highs[x] * (middle - 1) + (highs[x] >= 0 ? 0.5f : -0.5f));
            int bottom = middle - static_cast<int>(lows[x] * (middle - 1) + (lows[x] >= 0 ? 0.5f : -0.5f));
            if (bottom <= top) bottom = top + 1;
            out += "M" + std::to_string(x) + ".5 " + std::to_string(top) + "V" + std::to_string(bottom);
        }
        out += "\"/></svg>\n";
    }

    void Wav(const MapSound& sound) {
        WavInfo info = ReadWavInfo(sound.wavFull);
        out += "<td class=\"wav\"><code class=\"file\">" + Html(sound.entry.substr(0, sound.entry.find(','))) +
               "</code><div class=\"path\">" + Html(sound.wavFull) + "</div>";
        if (!info.opened) {
            out += "<div class=\"stand\">not there</div>";
        } else if (!info.riff) {
            out += "<div class=\"stand\">not a WAV file</div>";
        } else {
            out += "<div class=\"format\">" + Html(WavFormatName(info));
            if (info.haveFormat) {
                out += " &middot; " + std::to_string(info.rate) + " Hz &middot; " +
                       (info.channels == 1   ? std::string("mono")
                        : info.channels == 2 ? std::string("stereo")
                                             : std::to_string(info.channels) + " channels");
            }
            double seconds = WavSeconds(info);
            if (seconds >= 0) out += " &middot; " + Number(seconds, "%.2f") + " s";
            out += "</div>";
        }
        out += "<div class=\"volume\">Volume: ";
        if (sound.volumeText.empty())
            out += "none written, full (0)";
        else
            out += "<code>" + Html(sound.volumeText) + "</code> " +
                   (sound.volumeInPercent ? "percent" : "hundredths of a decibel") + ", loaded as " +
                   std::to_string(sound.volume) + " (" + Number(sound.volume / 100.0, "%.1f") + " dB)";
        out += "</div></td>\n<td class=\"listen\">";
        Waveform(sound.wavFull, info, FileName(sound.wavFull));
        if (info.opened) {
            std::string url = Html(FileUrl(pageFolder, sound.wavFull));
            out += "<audio controls preload=\"none\" src=\"" + url + "\"><a href=\"" + url + "\">" +
                   Html(FileName(sound.wavFull)) + "</a></audio>";
        }
        out += "</td>\n";
    }

    void SoundRow(const MapSound& sound, size_t configuration, bool gaugesRead) {
        bool global = sound.slot < 0;
        std::string id = "c" + std::to_string(configuration + 1) + "-" + (global ? "global" : "s" + std::to_string(sound.slot));
        out += "<tr id=\"" + id + "\" class=\"sound" + (global ? " global" : "") +
               (gaugesRead && sound.writers.empty() ? " unwritten" : "") + "\" data-slot=\"" +
               (global ? "global" : std::to_string(sound.slot)) + "\" data-variable=\"" + Html(sound.variable) + "\">\n";
        if (global) {
            out += "<td class=\"slot\"><span class=\"key\">Global commands</span><br><code class=\"var\">" +
                   Html(sound.variable) + "</code><div class=\"muted\">1 stop all, 2 mute all, 3 unmute all</div></td>\n"
                   "<td class=\"wav\"></td><td class=\"listen\"></td>\n";
        } else {
            out += "<td class=\"slot\"><span class=\"key\">" + Html(sound.key) + "</span> <span class=\"muted\">slot " +
                   std::to_string(sound.slot) + "</span><br><code class=\"var\">" + Html(sound.variable) + "</code></td>\n";
            Wav(sound);
        }
        out += "<td class=\"drivers\">";
        Drivers(sound, gaugesRead);
        out += "</td>\n</tr>\n";
    }

    void Unplayed(const MapUnplayed& unplayed) {
        out += "<div class=\"unplayed\" data-variable=\"" + Html(unplayed.variable) + "\"><code class=\"var\">" +
               Html(unplayed.variable) + "</code>: " + Html(unplayed.why) + "\n<ul class=\"writers\">\n";
        for (size_t w : unplayed.writers) Writer(page.writes[w], false);
        out += "</ul>\n";
        Findings(unplayed.findings);
        out += "</div>\n";
    }

    void Configuration(const MapConfiguration& config, size_t index) {
        out += "<section class=\"configuration\" id=\"c" + std::to_string(index + 1) + "\">\n<h2>Sounds of <code>" +
               Html(FileName(config.iniPath)) + "</code></h2>\n<p class=\"muted\">" + Html(config.iniPath);
        if (!config.panels.empty()) {
            out += " &middot; the configuration of ";
            for (size_t i = 0; i < config.panels.size(); ++i) out += (i == 0 ? "" : ", ") + Html(config.panels[i]);
        }
        size_t unwritten = 0;
        for (const MapSound& sound : config.sounds) unwritten += sound.writers.empty() ? 1 : 0;
        out += "<br>" + std::to_string(config.sounds.size()) + " configured sound" + (config.sounds.size() == 1 ? "" : "s");
        if (!config.panels.empty()) out += ", " + std::to_string(unwritten) + " that no gauge writes";
        out += std::string(config.ran ? "" : "; the module did not play them") + "</p>\n";
        if (config.percentVolumes)
            out += "<p>A volume in this file is in percent: after the load the module takes the gauges' volume "
                   "variables in percent too (\"Old Volume Control\" is 1).</p>\n";
        out += "<table class=\"sounds\">\n<colgroup><col class=\"c-slot\"><col class=\"c-wav\"><col class=\"c-listen\">"
               "<col class=\"c-drivers\"></colgroup>\n<thead><tr><th>Sound and variable</th><th>WAV file</th>"
               "<th>Listen</th><th>Who drives it</th></tr></thead>\n<tbody>\n";
        bool gaugesRead = !config.panels.empty();
        for (const MapSound& sound : config.sounds) SoundRow(sound, index, gaugesRead);
        SoundRow(config.global, index, gaugesRead);
        out += "</tbody>\n</table>\n";
        if (!config.unplayed.empty()) {
            out += "<h3>Writes nobody plays</h3>\n";
            for (const MapUnplayed& unplayed : config.unplayed) Unplayed(unplayed);
        }
        out += "</section>\n";
    }

    static const char* ArchitectureText(Architecture architecture) {
        return architecture == kArch64 ? "64-bit" : architecture == kArch32 ? "32-bit" : "of no known machine type";
    }

    // The module the simulator loads, the simulator, and the module the check ran.
    void Install(const InstallFacts& install) {
        const ModuleFileFacts& module = install.module;
        out += "<tr><th>Module</th><td>";
        if (!module.path.empty()) {
            out += "<code>" + Html(module.path) + "</code>: " +
                   (module.product.empty() ? std::string("no version resource") : Html(module.product)) +
                   (module.version.empty() ? "" : " " + Html(module.version)) + ", " +
                   ArchitectureText(module.architecture);
            if (module.architecture != kArchUnknown)
                out += std::string(", for the ") + ArchitectureText(module.architecture) + " simulators (" +
                       (module.architecture == kArch64 ? "versions 4, 5 and 6" : "versions 10, 9 and 1") + ")";
            out += "<div class=\"muted\">the file the simulator loads for <code>" + Html(install.moduleGauge) +
                   "</code>, " + Html(install.modulePanel) + ":" + std::to_string(install.moduleLine) + "</div>";
        } else {
            out += "<span class=\"stand\">" +
                   std::string(install.soundGaugeSeen ? "none in the panel folder or the Gauges folder"
                                                      : "no Sound gauge names one") +
                   "</span>";
        }
        out += "</td></tr>\n<tr><th>Simulator</th><td>";
        if (install.simVersion == "none")
            out += "without a version resource: either architecture";
        else if (!install.simVersion.empty())
            out += "version " + Html(install.simVersion) + " (" + ArchitectureText(install.simArchitecture) +
                   "), from " + Html(install.simVersionFrom) +
                   (install.program.version.empty() ? "" : ", file version " + Html(install.program.version));
        else
            out += "not known (give --sim-folder or --sim-version)";
        out += "</td></tr>\n<tr><th>The check ran</th><td><code>" + Html(install.runModule) + "</code> in panelhost's " +
               ArchitectureText(install.runArchitecture) + " host of version " + Html(install.hostVersion) +
               "</td></tr>\n";
    }

    void Aircraft() {
        out += "<section id=\"aircraft\">\n<h2>Aircraft</h2>\n<table class=\"facts\">\n";
        out += "<tr><th>Checked</th><td><code>" + Html(page.checked) + "</code></td></tr>\n";
        if (!page.variations.empty()) {
            out += "<tr><th>Variations</th><td><ul>\n";
            for (const MapVariation& variation : page.variations)
                out += "<li><code>[" + Html(variation.section) + "]</code> " + Html(variation.title) +
                       " <span class=\"muted\">panel=" + Html(variation.panel) + "</span></li>\n";
            out += "</ul></td></tr>\n";
        }
        if (!page.panels.empty()) {
            out += "<tr><th>Panels</th><td><ul>\n";
            for (const std::string& panel : page.panels) out += "<li><code>" + Html(panel) + "</code></li>\n";
            out += "</ul></td></tr>\n";
        }
        out += "<tr><th>Simulator folder</th><td><code>" + Html(page.simFolder) + "</code></td></tr>\n";
        Install(CheckedInstall());
        out += "</table>\n</section>\n";
    }

    void UnreadGauges() {
        out += "<section id=\"gauges\">\n<h2>Gauges whose writes were not read</h2>\n";
        if (unreadGauges == 0) {
            out += "<p class=\"muted\">none: every gauge of the panels was found and read</p>\n</section>\n";
            return;
        }
        out += "<ul class=\"list\">\n";
        for (const MapGauge& gauge : page.gauges) {
            if (gauge.state != kXmlGaugeMissing && gauge.state != kXmlGaugeCompiled) continue;
            bool compiled = gauge.state == kXmlGaugeCompiled;
            out += std::string("<li class=\"gauge ") + (compiled ? "compiled" : "missing") + "\"><span class=\"gauge\">" +
                   Html(gauge.name) + "</span> <code>" + Html(gauge.panelCfg) + ":" + std::to_string(gauge.line) +
                   "</code>: " +
                   (compiled ? "compiled, " + Html(gauge.file) + ": its writes cannot be read"
                             : std::string("not found in the panel folder or the Gauges folder")) +
                   "</li>\n";
        }
        out += "</ul>\n</section>\n";
    }

    void Write() {
        for (const MapGauge& gauge : page.gauges)
            unreadGauges += gauge.state == kXmlGaugeMissing || gauge.state == kXmlGaugeCompiled ? 1 : 0;
        size_t errors = 0, warnings = 0, sounds = 0;
        for (const ::Finding& finding : page.findings) {
            errors += finding.level == kFindingError ? 1 : 0;
            warnings += finding.level == kFindingWarning ? 1 : 0;
        }
        for (const MapConfiguration& config : page.configurations) sounds += config.sounds.size();
        std::string name = !page.variations.empty() && !page.variations[0].title.empty() ? page.variations[0].title
                                                                                          : FileName(page.checked);
        out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Sound map: " +
               Html(name) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<header>\n<h1>Sound map: " +
               Html(name) + "</h1>\n<p class=\"summary\">" + std::to_string(sounds) + " configured sound" +
               (sounds == 1 ? "" : "s") + " &middot; check: " + std::to_string(errors) + " error" +
               (errors == 1 ? "" : "s") + ", " + std::to_string(warnings) + " warning" + (warnings == 1 ? "" : "s") +
               "</p>\n</header>\n<main>\n";
        Aircraft();
        for (size_t c = 0; c < page.configurations.size(); ++c) Configuration(page.configurations[c], c);
        UnreadGauges();
        out += "<section id=\"other-findings\">\n<h2>Findings that belong to no sound</h2>\n";
        if (page.looseFindings.empty()) out += "<p class=\"muted\">none</p>\n";
        Findings(page.looseFindings);
        out += "</section>\n</main>\n<footer>Made by <code>panelhost --check --report</code>. The players and the "
               "waveforms read the WAV files where they are; keep the page where it was written, or beside the same "
               "aircraft folders.</footer>\n</body>\n</html>\n";
    }
};

}  // namespace

bool WriteSoundMapPage(const SoundMapPage& page, const std::string& pagePath, std::string* why) {
    PageWriter writer = {page, FolderOf(pagePath), "", 0};
    writer.Write();
    FILE* file = fopen(pagePath.c_str(), "wb");
    if (file == nullptr) {
        *why = strerror(errno);
        return false;
    }
    bool written = fwrite(writer.out.data(), 1, writer.out.size(), file) == writer.out.size();
    int error = errno;
    if (fclose(file) != 0 && written) written = false, error = errno;
    if (!written) {
        *why = strerror(error);
        remove(pagePath.c_str());
    }
    return written;
}
