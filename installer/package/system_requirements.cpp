#include "installer/package/system_requirements.h"

#include <limits>
#include <tuple>

#include "installer/setup/variables/processor_type.h"

namespace vortix {
namespace {

// The rows by the names the entry gives them, in the page's order.
constexpr std::string_view kRowNames[kRequirementRowCount] = {
    "operating_system", "memory",           "processor",         "disk_space",
    "directx",          "display_mode",     "wave_output",       "midi_output",
    "joystick",         "display_adapters", "installed_software"};

// The processor types a package may ask for: the codes the requirement column
// has a name for.
constexpr std::uint32_t kKnownProcessors[] = {
    kCpuIntel486,   kCpuPentium, kCpuPentiumPro, kCpuPentiumII, kCpuCeleron,
    kCpuPentiumIII, kCpuAmdK5,   kCpuAmdK6_2,    kCpuAmdK6_3,   kCpuAmdAthlon};

bool knownProcessor(std::uint32_t code) {
    for (std::uint32_t known : kKnownProcessors)
        if (known == code)
            return true;
    return false;
}

class Lines {
public:
    void add(std::string_view key, const std::string& value) {
        if (!text_.empty())
            text_ += "\r\n";
        text_.append(key).append("=").append(value);
    }
    void number(std::string_view key, std::uint32_t value) {
        if (value != 0)
            add(key, std::to_string(value));
    }
    void flag(std::string_view key, bool value) {
        if (value)
            add(key, "yes");
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// Splits at every `separator`; an empty text gives no parts.
std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    if (text.empty())
        return parts;
    for (;;) {
        std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

// A plain decimal number, no sign, no blanks, not above `max`.
bool parseNumber(std::string_view text, std::uint32_t max, std::uint32_t& out) {
    if (text.empty() || text.size() > 10)
        return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > max)
        return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

// "A.B" (or "AxBxC" with 'x'), each part up to `max`.
bool parseParts(std::string_view text, char separator, std::uint32_t max,
                std::initializer_list<std::uint32_t*> out) {
    std::vector<std::string_view> parts = split(text, separator);
    if (parts.size() != out.size())
        return false;
    std::size_t i = 0;
    for (std::uint32_t* target : out)
        if (!parseNumber(parts[i++], max, *target))
            return false;
    return true;
}

bool parseFlag(std::string_view text, bool& out) {
    if (text == "yes" || text == "no") {
        out = text == "yes";
        return true;
    }
    return false;
}

constexpr std::uint32_t kAnyNumber = std::numeric_limits<std::uint32_t>::max();

bool decodeLine(std::string_view key, std::string_view value, SystemRequirements& r) {
    if (key == "rows") {
        r.rows = 0;
        for (std::string_view name : split(value, ',')) {
            // A row this setup program does not know is passed over, as keys are.
            for (std::uint32_t bit = 0; bit < kRequirementRowCount; ++bit)
                if (kRowNames[bit] == name)
                    r.rows |= 1u << bit;
        }
        return true;
    }
    if (key == "windows95")
        return parseFlag(value, r.windows95);
    if (key == "build95")
        return parseNumber(value, kAnyNumber, r.build95);
    if (key == "windows98")
        return parseFlag(value, r.windows98);
    if (key == "build98")
        return parseNumber(value, kAnyNumber, r.build98);
    if (key == "windows_me")
        return parseFlag(value, r.windowsMe);
    if (key == "windows_nt")
        return parseFlag(value, r.windowsNt);
    if (key == "nt_version")
        return parseParts(value, '.', 255, {&r.ntMajor, &r.ntMinor});
    if (key == "nt_service_pack")
        return parseNumber(value, 255, r.ntServicePack);
    if (key == "memory_mb")
        return parseNumber(value, kAnyNumber, r.memoryMb);
    if (key == "processors") {
        r.processorTypes.clear();
        for (std::string_view part : split(value, ',')) {
            std::uint32_t code = 0;
            if (!parseNumber(part, kAnyNumber, code) || !knownProcessor(code))
                return false;
            r.processorTypes.push_back(code);
        }
        return true;
    }
    if (key == "any_intel")
        return parseFlag(value, r.anyIntel);
    if (key == "any_amd")
        return parseFlag(value, r.anyAmd);
    if (key == "mmx")
        return parseFlag(value, r.mmx);
    if (key == "3dnow")
        return parseFlag(value, r.threeDNow);
    if (key == "processor_mhz")
        return parseNumber(value, kAnyNumber, r.processorMhz);
    if (key == "disk_mb")
        return parseNumber(value, kAnyNumber, r.diskMb);
    if (key == "directx")
        return parseParts(value, '.', 0xFFFF, {&r.directXMajor, &r.directXMinor});
    if (key == "display")
        return parseParts(value, 'x', kAnyNumber,
                          {&r.displayWidth, &r.displayHeight, &r.displayBits});
    if (key == "wave_output")
        return parseFlag(value, r.waveOutput);
    if (key == "midi_output")
        return parseFlag(value, r.midiOutput);
    if (key == "joystick")
        return parseFlag(value, r.joystick);
    if (key == "video_memory_mb")
        return parseNumber(value, kAnyNumber, r.videoMemoryMb);
    if (key == "software") {
        std::size_t bar = value.find('|');
        if (bar == std::string_view::npos || bar + 1 == value.size())
            return false;
        r.software.push_back(
            {std::string(value.substr(0, bar)), std::string(value.substr(bar + 1))});
        return true;
    }
    return true;  // a key of a later builder
}

}  // namespace

bool SystemRequirements::operator==(const SystemRequirements& o) const {
    auto fields = [](const SystemRequirements& r) {
        return std::tie(r.rows, r.windows95, r.build95, r.windows98, r.build98, r.windowsMe,
                        r.windowsNt, r.ntMajor, r.ntMinor, r.ntServicePack, r.memoryMb,
                        r.processorTypes, r.anyIntel, r.anyAmd, r.mmx, r.threeDNow, r.processorMhz,
                        r.diskMb, r.directXMajor, r.directXMinor, r.displayWidth, r.displayHeight,
                        r.displayBits, r.waveOutput, r.midiOutput, r.joystick, r.videoMemoryMb,
                        r.software);
    };
    return fields(*this) == fields(o);
}

std::string encodeRequirements(const SystemRequirements& r) {
    Lines lines;
    std::string rows;
    for (std::uint32_t bit = 0; bit < kRequirementRowCount; ++bit)
        if (r.rows & (1u << bit))
            rows.append(rows.empty() ? "" : ",").append(kRowNames[bit]);
    if (!rows.empty())
        lines.add("rows", rows);
    lines.flag("windows95", r.windows95);
    lines.number("build95", r.build95);
    lines.flag("windows98", r.windows98);
    lines.number("build98", r.build98);
    lines.flag("windows_me", r.windowsMe);
    lines.flag("windows_nt", r.windowsNt);
    if (r.ntMajor != 0 || r.ntMinor != 0)
        lines.add("nt_version", std::to_string(r.ntMajor) + "." + std::to_string(r.ntMinor));
    lines.number("nt_service_pack", r.ntServicePack);
    lines.number("memory_mb", r.memoryMb);
    std::string processors;
    for (std::uint32_t code : r.processorTypes)
        processors.append(processors.empty() ? "" : ",").append(std::to_string(code));
    if (!processors.empty())
        lines.add("processors", processors);
    lines.flag("any_intel", r.anyIntel);
    lines.flag("any_amd", r.anyAmd);
    lines.flag("mmx", r.mmx);
    lines.flag("3dnow", r.threeDNow);
    lines.number("processor_mhz", r.processorMhz);
    lines.number("disk_mb", r.diskMb);
    if (r.directXMajor != 0 || r.directXMinor != 0)
        lines.add("directx", std::to_string(r.directXMajor) + "." + std::to_string(r.directXMinor));
    if (r.displayWidth != 0 || r.displayHeight != 0 || r.displayBits != 0)
        lines.add("display", std::to_string(r.displayWidth) + "x" +
                                 std::to_string(r.displayHeight) + "x" +
                                 std::to_string(r.displayBits));
    lines.flag("wave_output", r.waveOutput);
    lines.flag("midi_output", r.midiOutput);
    lines.flag("joystick", r.joystick);
    lines.number("video_memory_mb", r.videoMemoryMb);
    for (const RequiredSoftware& software : r.software)
        lines.add("software", software.name + "|" + software.key);
    return lines.take();
}

std::optional<SystemRequirements> decodeRequirements(std::string_view bytes) {
    SystemRequirements r;
    while (!bytes.empty()) {
        std::size_t end = bytes.find("\r\n");
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 2);
        if (line.find_first_of("\r\n") != std::string_view::npos)
            return std::nullopt;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return std::nullopt;
        if (!decodeLine(line.substr(0, equals), line.substr(equals + 1), r))
            return std::nullopt;
    }
    return r;
}

}  // namespace vortix
