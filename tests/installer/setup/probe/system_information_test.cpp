#include "installer/setup/probe/system_information.h"

#include <gtest/gtest.h>

#include <set>

#include "installer/package/language_entries.h"
#include "installer/setup/variables/processor_type.h"

using namespace vortix;

namespace {

constexpr std::uint64_t MB = 1024 * 1024;

// A language set whose page texts are the English ones, every other entry empty.
std::vector<std::string> englishLines() {
    std::vector<std::string> lines(kLanguageEntryCount);
    auto set = [&](LanguageEntry entry, const char* text) { lines[indexOf(entry)] = text; };
    set(LanguageEntry::No, "No");
    set(LanguageEntry::Yes, "Yes");
    set(LanguageEntry::RequirementColumn, "Requirement");
    set(LanguageEntry::YourComputerColumn, "Your computer");
    set(LanguageEntry::RequiredColumn, "Required");
    set(LanguageEntry::MetColumn, "Met");
    set(LanguageEntry::OperatingSystem, "Operating system");
    set(LanguageEntry::Memory, "Memory");
    set(LanguageEntry::Processor, "Processor");
    set(LanguageEntry::FreeDiskSpace, "Free disk space");
    set(LanguageEntry::DirectX, "DirectX");
    set(LanguageEntry::DisplayMode, "Display mode");
    set(LanguageEntry::SoundOutput, "Sound output");
    set(LanguageEntry::MidiOutput, "MIDI output");
    set(LanguageEntry::Joystick, "Joystick");
    set(LanguageEntry::DisplayAdapters, "Display adapters");
    set(LanguageEntry::InstalledSoftware, "Installed software");
    set(LanguageEntry::NoneValue, "none");
    set(LanguageEntry::NotFound, "not found");
    return lines;
}

OsVersion windows(bool nt, std::uint32_t major, std::uint32_t minor, std::uint32_t build) {
    OsVersion os;
    os.ntFamily = nt;
    os.major = major;
    os.minor = minor;
    os.build = build;
    return os;
}

// A plain machine of its time: Windows 98 SE, a Pentium II at 400 MHz, 128 MB,
// DirectX 7.0, one sound card, 1024x768 in 16 bits.
MachineFacts sampleMachine() {
    MachineFacts m;
    m.os = windows(false, 4, 10, 0x040A08AE);  // build 2222, version in the high word
    m.memoryBytes = 128 * MB;
    m.processorVendor = "GenuineIntel";
    m.processorType = kCpuPentiumII;
    m.mmx = true;
    m.processorMhz = 400;
    m.destinationDrive = "C:\\";
    m.freeBytes = 300 * MB;
    m.directX = 7;
    m.screen = {1024, 768, 16};
    m.modes = {{640, 480, 8}, {800, 600, 32}, {1024, 768, 16}};
    m.waveOutputs = 1;
    return m;
}

// The table's rows after the column heads, each split at its tabs.
std::vector<std::vector<std::string>> cells(const SystemInformationTable& table) {
    std::vector<std::vector<std::string>> out;
    for (std::size_t i = 1; i < table.rows.size(); ++i) {
        std::vector<std::string> row;
        std::size_t start = 0, tab;
        while ((tab = table.rows[i].find('\t', start)) != std::string::npos) {
            row.push_back(table.rows[i].substr(start, tab - start));
            start = tab + 1;
        }
        row.push_back(table.rows[i].substr(start));
        out.push_back(row);
    }
    return out;
}

// The one row of a table that shows a single requirement row.
std::vector<std::string> onlyRow(const MachineFacts& m, SystemRequirements r, std::uint32_t row,
                                 std::uint64_t packageBytes = 0) {
    r.rows = row;
    auto rows = cells(systemInformationTable(m, r, packageBytes, englishLines()));
    EXPECT_EQ(rows.size(), 1u);
    return rows.empty() ? std::vector<std::string>{} : rows[0];
}

}  // namespace

TEST(SystemInformation, MemoryIsWholeMegabytesRoundedToAnEvenNumber) {
    const std::pair<std::uint64_t, std::uint32_t> cases[] = {
        {0, 0},
        {MB - 1, 0},
        {MB, 2},
        {63 * MB + MB / 2, 64},
        {64 * MB, 64},
        {65 * MB, 66},
        {127 * MB + 1, 128},
        {4096ull * 1024 * MB, 4194304},
        {~0ull, 4294967294u},
    };
    for (const auto& [bytes, megabytes] : cases)
        EXPECT_EQ(memoryMegabytes(bytes), megabytes) << bytes;
}

TEST(SystemInformation, OperatingSystemTexts) {
    struct Case {
        OsVersion os;
        std::uint32_t servicePack;
        bool win32s;
        const char* text;
    };
    const Case cases[] = {
        {windows(false, 4, 0, 950), 0, false, "Windows 95  (4.0.950)"},
        {windows(false, 4, 0, 0x04000457), 0, false, "Windows 95  (4.0.1111)"},
        {windows(false, 4, 10, 2222), 0, false, "Windows 98  (4.10.2222)"},
        {windows(false, 4, 90, 3000), 0, false, "Windows ME (4.90.3000)"},
        {windows(false, 5, 0, 1), 0, false, "Windows ME (5.0.1)"},
        {windows(true, 5, 0, 2195), 4, false, "Windows 2000 SP4"},
        {windows(true, 5, 0, 2195), 0, false, "Windows 2000"},
        {windows(true, 4, 0, 1381), 6, false, "Windows NT 4.0 SP6"},
        {windows(true, 10, 0, 19045), 0, false, "Windows NT 10.0"},
        {windows(false, 3, 10, 0), 0, true, "Windows 32s "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(operatingSystemText(c.os, c.servicePack, c.win32s), c.text) << c.text;
}

TEST(SystemInformation, ProcessorNames) {
    struct Case {
        const char* vendor;
        std::uint32_t type;
        bool mmx, threeDNow;
        const char* text;
    };
    const Case cases[] = {
        {"GenuineIntel", kCpuIntel486, false, false, "Intel 486"},
        {"GenuineIntel", kCpuPentium, true, false, "Intel Pentium(MMX)"},
        {"GenuineIntel", kCpuPentiumPro, false, false, "Intel Pentium Pro"},
        {"GenuineIntel", kCpuPentiumII, true, false, "Intel PentiumII(MMX)"},
        {"GenuineIntel", kCpuCeleron, true, false, "Intel Celeron(MMX)"},
        {"GenuineIntel", kCpuPentiumIII, true, true, "Intel PentiumIII(MMX)"},  // not AMD
        {"AuthenticAMD", kCpuAmdK5, false, false, "AMD K5"},
        {"AuthenticAMD", kCpuAmdK6_2, true, true, "AMD K6-2(MMX)(3DNow!)"},
        {"AuthenticAMD", kCpuAmdK6_3, true, true, "AMD K6-3(MMX)(3DNow!)"},
        {"AuthenticAMD", kCpuAmdAthlon, true, false, "AMD Athlon(MMX)"},
        {"CyrixInstead", kCpuCyrix6, true, false, "Cyrix CPU(MMX)"},
        {"CyrixInstead", kCpuCyrixOther, false, false, "Cyrix CPU"},
        {"UnknownVendr", 0, false, false, "UnknownVendr"},
    };
    for (const Case& c : cases) {
        MachineFacts m;
        m.processorVendor = c.vendor;
        m.processorType = c.type;
        m.mmx = c.mmx;
        m.threeDNow = c.threeDNow;
        EXPECT_EQ(processorText(m), c.text);
    }
}

TEST(SystemInformation, OperatingSystemRequirementAndVerdict) {
    auto require = [](bool w95, std::uint32_t b95, bool w98, std::uint32_t b98, bool me, bool nt,
                      std::uint32_t major, std::uint32_t minor, std::uint32_t sp) {
        SystemRequirements r;
        r.windows95 = w95;
        r.build95 = b95;
        r.windows98 = w98;
        r.build98 = b98;
        r.windowsMe = me;
        r.windowsNt = nt;
        r.ntMajor = major;
        r.ntMinor = minor;
        r.ntServicePack = sp;
        return r;
    };
    struct Case {
        SystemRequirements required;
        OsVersion os;
        std::uint32_t servicePack;
        const char* column;
        const char* met;
    };
    const Case cases[] = {
        {require(false, 0, true, 2222, false, false, 0, 0, 0), windows(false, 4, 10, 2222), 0,
         "Win 98 SE", "Yes"},
        {require(false, 0, true, 2222, false, false, 0, 0, 0), windows(false, 4, 10, 1998), 0,
         "Win 98 SE", "No"},
        {require(false, 0, true, 1998, false, false, 0, 0, 0), windows(false, 4, 10, 2222), 0,
         "Win 98", "Yes"},
        {require(true, 1111, true, 0, true, true, 5, 0, 2), windows(true, 5, 0, 2195), 3,
         "Win 95 (OSR2)/98/ME/2000 SP2", "Yes"},
        {require(true, 1111, false, 0, false, false, 0, 0, 0), windows(false, 4, 0, 950), 0,
         "Win 95 (OSR2)", "No"},
        {require(true, 950, false, 0, false, false, 0, 0, 0), windows(false, 4, 0, 950), 0,
         "Win 95", "Yes"},
        {require(false, 0, false, 0, false, true, 5, 0, 2), windows(true, 5, 0, 2195), 1,
         "Win 2000 SP2", "No"},
        // A later version counts whatever its service pack.
        {require(false, 0, false, 0, false, true, 4, 0, 6), windows(true, 5, 1, 2600), 0,
         "Win NT 4.0 SP6", "Yes"},
        {require(false, 0, false, 0, false, true, 0, 0, 0), windows(true, 4, 0, 1381), 0, "Win NT",
         "Yes"},
        {require(false, 0, false, 0, true, false, 0, 0, 0), windows(true, 5, 0, 2195), 0, "Win ME",
         "No"},
        {require(false, 0, false, 0, false, false, 0, 0, 0), windows(false, 4, 0, 950), 0, "none",
         "Yes"},
    };
    for (const Case& c : cases) {
        MachineFacts m = sampleMachine();
        m.os = c.os;
        m.servicePack = c.servicePack;
        std::vector<std::string> row = onlyRow(m, c.required, kRowOperatingSystem);
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(row[0], "Operating system");
        EXPECT_EQ(row[2], c.column);
        EXPECT_EQ(row[3], c.met) << c.column << " on " << row[1];
    }
    MachineFacts win32s = sampleMachine();
    win32s.win32s = true;
    EXPECT_EQ(
        onlyRow(win32s, require(true, 0, true, 0, true, true, 0, 0, 0), kRowOperatingSystem)[3],
        "No");
}

TEST(SystemInformation, EachRowAgainstItsRequirement) {
    struct Case {
        const char* what;
        std::uint32_t row;
        void (*require)(SystemRequirements&);
        void (*change)(MachineFacts&);
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {"memory",
         kRowMemory,
         [](SystemRequirements& r) { r.memoryMb = 128; },
         [](MachineFacts& m) { m.memoryBytes = 127 * MB + MB / 2; },
         {"Memory", "128 MB", "128 MB", "Yes"}},
        {"memory short",
         kRowMemory,
         [](SystemRequirements& r) { r.memoryMb = 256; },
         [](MachineFacts&) {},
         {"Memory", "128 MB", "256 MB", "No"}},
        {"processor types",
         kRowProcessor,
         [](SystemRequirements& r) {
             r.processorTypes = {kCpuPentiumII, kCpuCeleron, kCpuAmdAthlon};
             r.mmx = true;
             r.processorMhz = 300;
         },
         [](MachineFacts&) {},
         {"Processor", "Intel PentiumII(MMX) 400 MHz", "PentiumII/Celeron/Athlon(MMX) 300 MHz",
          "Yes"}},
        {"processor too slow",
         kRowProcessor,
         [](SystemRequirements& r) { r.processorMhz = 500; },
         [](MachineFacts&) {},
         {"Processor", "Intel PentiumII(MMX) 400 MHz", "500 MHz", "No"}},
        {"processor of another type",
         kRowProcessor,
         [](SystemRequirements& r) { r.processorTypes = {kCpuPentiumIII}; },
         [](MachineFacts&) {},
         {"Processor", "Intel PentiumII(MMX) 400 MHz", "PentiumIII", "No"}},
        {"any AMD",
         kRowProcessor,
         [](SystemRequirements& r) {
             r.anyAmd = true;
             r.threeDNow = true;
         },
         [](MachineFacts& m) {
             m.processorVendor = "AuthenticAMD";
             m.processorType = kCpuAmdK6_2;
             m.threeDNow = true;
         },
         {"Processor", "AMD K6-2(MMX)(3DNow!) 400 MHz", "AMD CPU(3DNow!)", "Yes"}},
        {"any Intel",
         kRowProcessor,
         [](SystemRequirements& r) { r.anyIntel = true; },
         [](MachineFacts& m) {
             m.processorVendor = "AuthenticAMD";
             m.processorType = kCpuAmdAthlon;
         },
         {"Processor", "AMD Athlon(MMX) 400 MHz", "Intel CPU", "No"}},
        {"disk from the package",
         kRowDiskSpace,
         [](SystemRequirements&) {},
         [](MachineFacts&) {},
         {"Free disk space", "C:\\ 300,0 MB", "400,0 MB", "No"}},
        {"disk asked",
         kRowDiskSpace,
         [](SystemRequirements& r) { r.diskMb = 100; },
         [](MachineFacts&) {},
         {"Free disk space", "C:\\ 300,0 MB", "100,0 MB", "Yes"}},
        {"exactly the space asked",
         kRowDiskSpace,
         [](SystemRequirements& r) { r.diskMb = 300; },
         [](MachineFacts&) {},
         {"Free disk space", "C:\\ 300,0 MB", "300,0 MB", "Yes"}},
        {"no such drive",
         kRowDiskSpace,
         [](SystemRequirements& r) { r.diskMb = 1; },
         [](MachineFacts& m) {
             m.destinationDrive = "Q:\\";
             m.freeBytes.reset();
         },
         {"Free disk space", "Q:\\ not found", "1,0 MB", "No"}},
        {"no DirectX",
         kRowDirectX,
         [](SystemRequirements& r) {
             r.directXMajor = 1;
             r.directXMinor = 0;
         },
         [](MachineFacts& m) { m.directX = 0; },
         {"DirectX", "not found", "1.0", "No"}},
        {"no DirectX, none asked",
         kRowDirectX,
         [](SystemRequirements&) {},
         [](MachineFacts& m) { m.directX = 0; },
         {"DirectX", "not found", "none", "Yes"}},
        {"DirectX 6.1 against 6.0",
         kRowDirectX,
         [](SystemRequirements& r) { r.directXMajor = 6; },
         [](MachineFacts& m) { m.directX = 6 | (1u << 16); },
         {"DirectX", "6.1", "6.0", "Yes"}},
        {"DirectX 6.1 against 7.0",
         kRowDirectX,
         [](SystemRequirements& r) { r.directXMajor = 7; },
         [](MachineFacts& m) { m.directX = 6 | (1u << 16); },
         {"DirectX", "6.1", "7.0", "No"}},
        {"a mode the display can take",
         kRowDisplayMode,
         [](SystemRequirements& r) {
             r.displayWidth = 800;
             r.displayHeight = 600;
             r.displayBits = 24;
         },
         [](MachineFacts&) {},
         {"Display mode", "1024x768 16", "800x600 24", "Yes"}},
        {"no mode deep enough",
         kRowDisplayMode,
         [](SystemRequirements& r) {
             r.displayWidth = 1024;
             r.displayHeight = 768;
             r.displayBits = 32;
         },
         [](MachineFacts&) {},
         {"Display mode", "1024x768 16", "1024x768 32", "No"}},
        {"the current mode counts",
         kRowDisplayMode,
         [](SystemRequirements& r) {
             r.displayWidth = 1024;
             r.displayBits = 16;
         },
         [](MachineFacts& m) { m.modes.clear(); },
         {"Display mode", "1024x768 16", "1024x0 16", "Yes"}},
        {"wave output",
         kRowWaveOutput,
         [](SystemRequirements& r) { r.waveOutput = true; },
         [](MachineFacts&) {},
         {"Sound output", "1", "1", "Yes"}},
        {"no MIDI output",
         kRowMidiOutput,
         [](SystemRequirements& r) { r.midiOutput = true; },
         [](MachineFacts&) {},
         {"MIDI output", "none", "1", "No"}},
        {"MIDI for information",
         kRowMidiOutput,
         [](SystemRequirements&) {},
         [](MachineFacts& m) { m.midiOutputs = 2; },
         {"MIDI output", "2", "none", "Yes"}},
        {"no joystick",
         kRowJoystick,
         [](SystemRequirements& r) { r.joystick = true; },
         [](MachineFacts&) {},
         {"Joystick", "No", "Yes", "No"}},
        {"no adapters",
         kRowDisplayAdapters,
         [](SystemRequirements& r) { r.videoMemoryMb = 4; },
         [](MachineFacts&) {},
         {"Display adapters", "not found", "4 MB", "No"}},
    };
    for (const Case& c : cases) {
        SystemRequirements r;
        c.require(r);
        MachineFacts m = sampleMachine();
        c.change(m);
        EXPECT_EQ(onlyRow(m, r, c.row, 400 * MB), c.cells) << c.what;
    }
}

TEST(SystemInformation, AdaptersAndSoftwareTakeALineEach) {
    MachineFacts m = sampleMachine();
    m.adapters = {{"Primary Display", "vga.dll", 8 * MB + MB / 2, {4, 10, 0, 1998}},
                  {"Voodoo2", "", 12 * MB, {0, 0, 0, 0}}};
    m.software = {std::string("2.1"), std::nullopt, std::string()};
    SystemRequirements r;
    r.rows = kRowDisplayAdapters | kRowInstalledSoftware;
    r.videoMemoryMb = 16;
    r.software = {{"Contavo Lite", "Contavo\\Lite"}, {"Viewer", "V\\W"}, {"Tool", "T"}};
    SystemInformationTable table = systemInformationTable(m, r, 0, englishLines());
    const std::vector<std::string> expected = {
        "Requirement\tYour computer\tRequired\tMet",
        "Display adapters\tPrimary Display: 8.5 MB, vga.dll 4.10.0.1998\t16 MB\tNo",
        "\tVoodoo2: 12.0 MB",
        "Installed software\tContavo Lite: 2.1\tContavo Lite\tYes",
        "\tViewer: not found\tViewer\tNo",
        "\tTool\tTool\tYes",
    };
    EXPECT_EQ(table.rows, expected);
    EXPECT_EQ(table.unmet, 2);
}

TEST(SystemInformation, RowsInTheirOrderAndTheUnmetCounted) {
    SystemRequirements r;
    r.rows = kAllRequirementRows;
    r.memoryMb = 256;    // not met
    r.directXMajor = 8;  // not met
    r.waveOutput = true;
    MachineFacts m = sampleMachine();
    SystemInformationTable table = systemInformationTable(m, r, 0, englishLines());
    std::vector<std::string> labels;
    for (const auto& row : cells(table))
        labels.push_back(row[0]);
    const std::vector<std::string> expected = {
        "Operating system", "Memory",           "Processor",         "Free disk space",
        "DirectX",          "Display mode",     "Sound output",      "MIDI output",
        "Joystick",         "Display adapters", "Installed software"};
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(table.unmet, 2);
    // No rows asked for: the column heads alone.
    EXPECT_EQ(systemInformationTable(m, SystemRequirements{}, 0, englishLines()).rows.size(), 1u);
    // A language set that stops short leaves texts empty rather than failing.
    EXPECT_EQ(systemInformationTable(m, r, 0, {}).rows.size(), 12u);
}

TEST(SystemInformation, SavedTextPadsTheColumns) {
    const std::string longValue(40, 'v');
    const std::vector<std::string> rows = {
        "Requirement\tYour computer\tRequired\tMet",
        "",
        "Memory\t128 MB\t64 MB\tYes",
        "A label of twenty-two!\t" + longValue + "\tx\tNo",
        "\tVoodoo2: 12.0 MB",
    };
    const std::string text = systemInformationFileText(rows);
    auto blanks = [](std::size_t n) { return std::string(n, ' '); };
    const std::string expected = "Requirement" + blanks(11) + "Your computer" + blanks(19) +
                                 "Required" + blanks(24) +
                                 "Met\r\n"
                                 "\r\n"
                                 "Memory" +
                                 blanks(16) + "128 MB" + blanks(26) + "64 MB" + blanks(27) +
                                 "Yes\r\n" + "A label of twenty-two! " + longValue + " x" +
                                 blanks(21) + "No\r\n" + blanks(22) + "Voodoo2: 12.0 MB\r\n";
    EXPECT_EQ(text, expected);
    // Each column starts where the file's readers expect it.
    std::string memory = text.substr(text.find("Memory"));
    EXPECT_EQ(memory.find("128 MB"), 22u);
    EXPECT_EQ(memory.find("64 MB"), 54u);
    EXPECT_EQ(memory.find("Yes"), 86u);
}

TEST(SystemInformation, FileNameIsTheFirstFree) {
    std::set<std::string> present;
    auto exists = [&](const std::string& name) { return present.count(name) != 0; };
    EXPECT_EQ(systemInformationFileName(exists), "c:\\sysinfo.txt");
    present = {"c:\\sysinfo.txt"};
    EXPECT_EQ(systemInformationFileName(exists), "c:\\sysinfo1.txt");
    present = {"c:\\sysinfo.txt", "c:\\sysinfo1.txt"};
    EXPECT_EQ(systemInformationFileName(exists), "c:\\sysinfo2.txt");
    // A gap is used, and a name that always exists does not loop for ever.
    present = {"c:\\sysinfo.txt", "c:\\sysinfo2.txt"};
    EXPECT_EQ(systemInformationFileName(exists), "c:\\sysinfo1.txt");
    EXPECT_EQ(systemInformationFileName([](const std::string&) { return true; }), "");
}
