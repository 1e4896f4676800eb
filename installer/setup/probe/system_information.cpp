#include "installer/setup/probe/system_information.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "installer/package/language_entries.h"
#include "installer/setup/variables/processor_type.h"
#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {
namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return std::string(buffer, n < 0 ? 0 : std::min<std::size_t>(n, sizeof buffer - 1));
}

// The running system's family within the 95 line.
enum class Family { Win95, Win98, WinMe, Nt, Win32s };

Family familyOf(const OsVersion& os, bool win32s) {
    if (win32s)
        return Family::Win32s;
    if (os.ntFamily)
        return Family::Nt;
    if (os.major != 4 || os.minor == 90)
        return Family::WinMe;
    return os.minor < 10 ? Family::Win95 : Family::Win98;
}

struct ProcessorName {
    std::uint32_t code;
    const char* shown;     // the machine's processor
    const char* required;  // in the requirement column
};
constexpr ProcessorName kProcessorNames[] = {
    {kCpuIntel486, "Intel 486", "486"},
    {kCpuPentium, "Intel Pentium", "Pentium"},
    {kCpuPentiumPro, "Intel Pentium Pro", "Pentium Pro"},
    {kCpuPentiumII, "Intel PentiumII", "PentiumII"},
    {kCpuCeleron, "Intel Celeron", "Celeron"},
    {kCpuPentiumIII, "Intel PentiumIII", "PentiumIII"},
    {kCpuAmdK5, "AMD K5", "K5"},
    {kCpuAmdK6_2, "AMD K6-2", "K6-2"},
    {kCpuAmdK6_3, "AMD K6-3", "K6-3"},
    {kCpuAmdAthlon, "AMD Athlon", "Athlon"},
    {kCpuCyrix6, "Cyrix CPU", "Cyrix"},
    {kCpuCyrixOther, "Cyrix CPU", "Cyrix"},
};

const ProcessorName* processorName(std::uint32_t code) {
    for (const ProcessorName& name : kProcessorNames)
        if (name.code == code)
            return &name;
    return nullptr;
}

// "a/b/c" from the parts given.
std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : "/") + part;
    return out;
}

class TableBuilder {
public:
    TableBuilder(const std::vector<std::string>& lines, SystemInformationTable& table)
        : lines_(lines), table_(table) {}

    const std::string& text(LanguageEntry entry) const {
        static const std::string none;
        std::size_t k = indexOf(entry);
        return k < lines_.size() ? lines_[k] : none;
    }
    // The requirement column of a row that asks for nothing.
    const std::string& none() const { return text(LanguageEntry::NoneValue); }
    const std::string& notFound() const { return text(LanguageEntry::NotFound); }

    void row(LanguageEntry label, const std::string& machine, const std::string& required,
             bool met) {
        rowWithLabel(text(label), machine, required, met);
    }
    void rowWithLabel(const std::string& label, const std::string& machine,
                      const std::string& required, bool met) {
        table_.rows.push_back(label + "\t" + machine + "\t" + required + "\t" +
                              text(met ? LanguageEntry::Yes : LanguageEntry::No));
        if (!met)
            ++table_.unmet;
    }
    // A further line of a row (another adapter): no requirement, no verdict.
    void moreLine(const std::string& machine) { table_.rows.push_back("\t" + machine); }

private:
    const std::vector<std::string>& lines_;
    SystemInformationTable& table_;
};

void operatingSystemRow(TableBuilder& t, const MachineFacts& m, const SystemRequirements& r) {
    std::vector<std::string> accepted;
    if (r.windows95)
        accepted.push_back(r.build95 > 1000 ? "95 (OSR2)" : "95");
    if (r.windows98)
        accepted.push_back(r.build98 >= 2222 ? "98 SE" : "98");
    if (r.windowsMe)
        accepted.push_back("ME");
    if (r.windowsNt) {
        std::string nt = r.ntMajor == 5 && r.ntMinor == 0 ? "2000"
                         : r.ntMajor == 0 && r.ntMinor == 0
                             ? "NT"
                             : format("NT %u.%u", unsigned(r.ntMajor), unsigned(r.ntMinor));
        if (r.ntServicePack != 0)
            nt += format(" SP%u", unsigned(r.ntServicePack));
        accepted.push_back(nt);
    }
    std::uint32_t build = m.os.build & 0xFFFFu;
    bool met = accepted.empty();
    switch (familyOf(m.os, m.win32s)) {
        case Family::Win95: met = met || (r.windows95 && build >= r.build95); break;
        case Family::Win98: met = met || (r.windows98 && build >= r.build98); break;
        case Family::WinMe: met = met || r.windowsMe; break;
        case Family::Nt:
            met = met || (r.windowsNt && std::tie(m.os.major, m.os.minor, m.servicePack) >=
                                             std::tie(r.ntMajor, r.ntMinor, r.ntServicePack));
            break;
        case Family::Win32s: break;
    }
    t.row(LanguageEntry::OperatingSystem, operatingSystemText(m.os, m.servicePack, m.win32s),
          accepted.empty() ? t.none() : "Win " + joined(accepted), met);
}

void processorRow(TableBuilder& t, const MachineFacts& m, const SystemRequirements& r) {
    std::vector<std::string> accepted;
    for (std::uint32_t code : r.processorTypes)
        if (const ProcessorName* name = processorName(code))
            accepted.push_back(name->required);
    if (r.anyIntel)
        accepted.push_back("Intel CPU");
    if (r.anyAmd)
        accepted.push_back("AMD CPU");
    std::string required = joined(accepted);
    if (r.mmx)
        required += "(MMX)";
    if (r.threeDNow)
        required += "(3DNow!)";
    if (r.processorMhz != 0)
        required += (required.empty() ? "" : " ") + format("%u MHz", unsigned(r.processorMhz));

    bool typeMet = accepted.empty() ||
                   std::find(r.processorTypes.begin(), r.processorTypes.end(), m.processorType) !=
                       r.processorTypes.end() ||
                   (r.anyIntel && m.processorVendor == "GenuineIntel") ||
                   (r.anyAmd && m.processorVendor == "AuthenticAMD");
    bool met = typeMet && (!r.mmx || m.mmx) && (!r.threeDNow || m.threeDNow) &&
               m.processorMhz >= r.processorMhz;
    t.row(LanguageEntry::Processor, processorText(m) + format(" %u MHz", unsigned(m.processorMhz)),
          required.empty() ? t.none() : required, met);
}

void diskRow(TableBuilder& t, const MachineFacts& m, const SystemRequirements& r,
             std::uint64_t packageBytes) {
    std::uint64_t needed = r.diskMb != 0 ? r.diskMb * kMegabyte : packageBytes;
    std::string machine = m.destinationDrive + (m.destinationDrive.empty() ? "" : " ") +
                          (m.freeBytes ? sizeText(*m.freeBytes) : t.notFound());
    bool met = m.freeBytes ? *m.freeBytes >= needed : needed == 0;
    t.row(LanguageEntry::FreeDiskSpace, machine, needed == 0 ? t.none() : requiredSizeText(needed),
          met);
}

std::string directXText(std::uint32_t major, std::uint32_t minor) {
    return format("%u.%u", unsigned(major), unsigned(minor));
}

void directXRow(TableBuilder& t, const MachineFacts& m, const SystemRequirements& r) {
    std::uint32_t major = m.directX & 0xFFFFu, minor = m.directX >> 16;
    bool asked = r.directXMajor != 0 || r.directXMinor != 0;
    bool met = m.directX != 0 ? std::tie(major, minor) >= std::tie(r.directXMajor, r.directXMinor)
                              : !asked;
    t.row(LanguageEntry::DirectX, m.directX != 0 ? directXText(major, minor) : t.notFound(),
          asked ? directXText(r.directXMajor, r.directXMinor) : t.none(), met);
}

std::string modeText(std::uint32_t width, std::uint32_t height, std::uint32_t bits) {
    return format("%ux%u %u", unsigned(width), unsigned(height), unsigned(bits));
}

void displayRow(TableBuilder& t, const MachineFacts& m, const SystemRequirements& r) {
    auto enough = [&](const ScreenMode& mode) {
        return mode.width >= r.displayWidth && mode.height >= r.displayHeight &&
               mode.bitsPerPixel >= r.displayBits;
    };
    bool met = enough(m.screen) || std::any_of(m.modes.begin(), m.modes.end(), enough);
    bool asked = r.displayWidth != 0 || r.displayHeight != 0 || r.displayBits != 0;
    t.row(LanguageEntry::DisplayMode,
          modeText(m.screen.width, m.screen.height, m.screen.bitsPerPixel),
          asked ? modeText(r.displayWidth, r.displayHeight, r.displayBits) : t.none(), met);
}

// Wave and MIDI output: how many devices there are, against at least one.
void deviceRow(TableBuilder& t, LanguageEntry label, std::uint32_t count, bool asked) {
    t.row(label, count != 0 ? std::to_string(count) : t.none(), asked ? "1" : t.none(),
          !asked || count != 0);
}

std::string memoryText(std::uint64_t bytes) {
    // Tenths of a megabyte, rounded down.
    std::uint64_t tenths = bytes * 10 / kMegabyte;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

void adaptersRow(TableBuilder& t, const MachineFacts& m, const SystemRequirements& r) {
    std::uint64_t best = 0;
    for (const DisplayAdapter& adapter : m.adapters)
        best = std::max(best, adapter.videoMemoryBytes);
    bool met = best >= std::uint64_t{r.videoMemoryMb} * kMegabyte;
    std::string required =
        r.videoMemoryMb != 0 ? format("%u MB", unsigned(r.videoMemoryMb)) : t.none();
    if (m.adapters.empty()) {
        t.row(LanguageEntry::DisplayAdapters, t.notFound(), required, met);
        return;
    }
    for (std::size_t i = 0; i < m.adapters.size(); ++i) {
        const DisplayAdapter& a = m.adapters[i];
        std::string text = a.description + ": " + memoryText(a.videoMemoryBytes);
        if (!a.driver.empty())
            text +=
                ", " + a.driver +
                format(" %u.%u.%u.%u", unsigned(a.driverVersion[0]), unsigned(a.driverVersion[1]),
                       unsigned(a.driverVersion[2]), unsigned(a.driverVersion[3]));
        if (i == 0)
            t.row(LanguageEntry::DisplayAdapters, text, required, met);
        else
            t.moreLine(text);
    }
}

// One line per program asked for, each with its own verdict.
void softwareRows(TableBuilder& t, const MachineFacts& m, const SystemRequirements& r) {
    if (r.software.empty()) {
        t.row(LanguageEntry::InstalledSoftware, t.none(), t.none(), true);
        return;
    }
    for (std::size_t i = 0; i < r.software.size(); ++i) {
        const std::optional<std::string>* found = i < m.software.size() ? &m.software[i] : nullptr;
        bool present = found != nullptr && found->has_value();
        std::string machine = r.software[i].name;
        if (!present)
            machine += ": " + t.notFound();
        else if (!(*found)->empty())
            machine += ": " + **found;
        t.rowWithLabel(i == 0 ? t.text(LanguageEntry::InstalledSoftware) : std::string(), machine,
                       r.software[i].name, present);
    }
}

}  // namespace

std::uint32_t memoryMegabytes(std::uint64_t bytes) {
    // Past 4 PB the figure stays at the largest even number rather than wrapping.
    std::uint64_t megabytes = std::min<std::uint64_t>(bytes / kMegabyte, 0xFFFFFFFEu);
    return static_cast<std::uint32_t>(megabytes + (megabytes & 1));
}

std::string operatingSystemText(const OsVersion& os, std::uint32_t servicePack, bool win32s) {
    switch (familyOf(os, win32s)) {
        case Family::Win32s: return "Windows 32s ";
        case Family::Nt: {
            std::string text =
                os.major == 5 ? "Windows 2000"
                              : format("Windows NT %u.%u", unsigned(os.major), unsigned(os.minor));
            if (servicePack != 0)
                text += format(" SP%u", unsigned(servicePack));
            return text;
        }
        case Family::Win95:
            return "Windows 95 " + format(" (%u.%u.%u)", os.major, os.minor, os.build & 0xFFFFu);
        case Family::Win98:
            return "Windows 98 " + format(" (%u.%u.%u)", os.major, os.minor, os.build & 0xFFFFu);
        case Family::WinMe:
            return "Windows ME" + format(" (%u.%u.%u)", os.major, os.minor, os.build & 0xFFFFu);
    }
    return {};
}

std::string processorText(const MachineFacts& machine) {
    const ProcessorName* name = processorName(machine.processorType);
    std::string text = name ? name->shown : machine.processorVendor;
    if (machine.mmx)
        text += "(MMX)";
    if (machine.threeDNow && machine.processorVendor == "AuthenticAMD")
        text += "(3DNow!)";
    return text;
}

SystemInformationTable systemInformationTable(const MachineFacts& m, const SystemRequirements& r,
                                              std::uint64_t packageBytes,
                                              const std::vector<std::string>& lines) {
    SystemInformationTable table;
    TableBuilder t(lines, table);
    table.rows.push_back(t.text(LanguageEntry::RequirementColumn) + "\t" +
                         t.text(LanguageEntry::YourComputerColumn) + "\t" +
                         t.text(LanguageEntry::RequiredColumn) + "\t" +
                         t.text(LanguageEntry::MetColumn));
    if (r.rows & kRowOperatingSystem)
        operatingSystemRow(t, m, r);
    if (r.rows & kRowMemory) {
        std::uint32_t megabytes = memoryMegabytes(m.memoryBytes);
        t.row(LanguageEntry::Memory, format("%u MB", unsigned(megabytes)),
              r.memoryMb != 0 ? format("%u MB", unsigned(r.memoryMb)) : t.none(),
              megabytes >= r.memoryMb);
    }
    if (r.rows & kRowProcessor)
        processorRow(t, m, r);
    if (r.rows & kRowDiskSpace)
        diskRow(t, m, r, packageBytes);
    if (r.rows & kRowDirectX)
        directXRow(t, m, r);
    if (r.rows & kRowDisplayMode)
        displayRow(t, m, r);
    if (r.rows & kRowWaveOutput)
        deviceRow(t, LanguageEntry::SoundOutput, m.waveOutputs, r.waveOutput);
    if (r.rows & kRowMidiOutput)
        deviceRow(t, LanguageEntry::MidiOutput, m.midiOutputs, r.midiOutput);
    if (r.rows & kRowJoystick)
        t.row(LanguageEntry::Joystick, t.text(m.joystick ? LanguageEntry::Yes : LanguageEntry::No),
              r.joystick ? t.text(LanguageEntry::Yes) : t.none(), !r.joystick || m.joystick);
    if (r.rows & kRowDisplayAdapters)
        adaptersRow(t, m, r);
    if (r.rows & kRowInstalledSoftware)
        softwareRows(t, m, r);
    return table;
}

std::string systemInformationFileText(const std::vector<std::string>& rows) {
    static constexpr std::size_t kColumnStarts[] = {22, 54, 86};
    std::string text;
    for (const std::string& row : rows) {
        std::string line;
        std::size_t column = 0, start = 0;
        for (;;) {
            std::size_t tab = row.find('\t', start);
            std::string cell = row.substr(start, tab == std::string::npos ? tab : tab - start);
            if (column > 0) {
                // Columns past the last start follow after a single blank.
                std::size_t at = column - 1 < std::size(kColumnStarts) ? kColumnStarts[column - 1]
                                                                       : line.size() + 1;
                line.append(line.size() < at ? at - line.size() : 1, ' ');
            }
            line += cell;
            if (tab == std::string::npos)
                break;
            start = tab + 1;
            ++column;
        }
        // A row whose last columns are empty ends with its last text, not with blanks.
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\r\n";
    }
    return text;
}

std::string systemInformationFileName(const std::function<bool(const std::string&)>& exists) {
    std::string name = "c:\\sysinfo.txt";
    for (int n = 1; exists(name); ++n) {
        if (n > kMaxSystemInformationFiles)
            return {};
        name = "c:\\sysinfo" + std::to_string(n) + ".txt";
    }
    return name;
}

}  // namespace vortix
