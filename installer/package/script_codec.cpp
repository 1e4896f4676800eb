#include "installer/package/script_codec.h"

#include <type_traits>

#include "installer/common/sealed_block.h"

namespace vortix {
namespace {

// Appends fields to a byte string.
class Writer {
public:
    static constexpr bool kReading = false;

    void number(std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out_.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
    void number64(std::uint64_t value) {
        number(static_cast<std::uint32_t>(value >> 32));
        number(static_cast<std::uint32_t>(value));
    }
    void flag(bool value) { number(value ? 1 : 0); }
    template <class E>
    void enumeration(E value) {
        number(static_cast<std::uint32_t>(value));
    }
    void text(const std::string& value) {
        // A NUL inside a text would end it early on the way back: stop there.
        out_.append(value.c_str());
        out_.push_back('\0');
    }
    template <class T, class Visit>
    void list(const std::vector<T>& items, Visit visit) {
        number(static_cast<std::uint32_t>(items.size()));
        for (const T& item : items)
            visit(*this, item);
    }
    bool enter() { return true; }
    void leave() {}
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// Takes fields from a byte string; once anything is wrong every later read is a
// no-op and failed() stays true.
class Reader {
public:
    static constexpr bool kReading = true;

    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    void number(std::uint32_t& value) {
        if (!need(4))
            return;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(bytes_[pos_++]);
    }
    void number64(std::uint64_t& value) {
        std::uint32_t high = 0, low = 0;
        number(high);
        number(low);
        value = (static_cast<std::uint64_t>(high) << 32) | low;
    }
    void flag(bool& value) {
        std::uint32_t word = 0;
        number(word);
        value = word != 0;
    }
    template <class E>
    void enumeration(E& value) {
        std::uint32_t word = 0;
        number(word);
        value = static_cast<E>(word);
    }
    void text(std::string& value) {
        if (failed_)
            return;
        std::size_t end = bytes_.find('\0', pos_);
        if (end == std::string_view::npos) {
            failed_ = true;
            return;
        }
        value.assign(bytes_.substr(pos_, end - pos_));
        pos_ = end + 1;
    }
    template <class T, class Visit>
    void list(std::vector<T>& items, Visit visit) {
        std::uint32_t count = 0;
        number(count);
        // Every item takes at least one byte, so a count beyond the bytes left is a lie.
        if (failed_ || count > bytes_.size() - pos_) {
            failed_ = true;
            return;
        }
        // No reserve: the vector grows with the items really read, not with a claim
        // that may be repeated at every level of nesting.
        items.clear();
        for (std::uint32_t i = 0; i < count && !failed_; ++i) {
            items.emplace_back();
            visit(*this, items.back());
        }
    }
    bool enter() {
        if (++depth_ > kMaxDepth)
            failed_ = true;
        return !failed_;
    }
    void leave() { --depth_; }

    bool failed() const { return failed_; }
    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

private:
    static constexpr int kMaxDepth = 64;

    bool need(std::size_t n) {
        if (!failed_ && bytes_.size() - pos_ < n)
            failed_ = true;
        return !failed_;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    bool failed_ = false;
};

// The field lists. Each takes the item as T& (reading) or const T& (writing).
template <class A, class T>
using Item = std::conditional_t<A::kReading, T, const T>;

template <class A>
void fields(A& a, Item<A, Comparison>& c) {
    a.text(c.left);
    a.number(c.op);
    a.text(c.right);
}

template <class A>
void fields(A& a, Item<A, Condition>& c) {
    a.number(c.options);
    a.list(c.comparisons, [](A& x, Item<A, Comparison>& item) { fields<A>(x, item); });
}

template <class A>
void fields(A& a, Item<A, RegistryItemValue>& v) {
    a.text(v.name);
    a.number(v.type);
    a.text(v.data);
    fields<A>(a, v.condition);
}

template <class A>
void fields(A& a, Item<A, RegistryItemKey>& k) {
    if (!a.enter())
        return;
    a.text(k.name);
    a.list(k.values, [](A& x, Item<A, RegistryItemValue>& item) { fields<A>(x, item); });
    a.list(k.subkeys, [](A& x, Item<A, RegistryItemKey>& item) { fields<A>(x, item); });
    a.leave();
}

template <class A>
void fields(A& a, Item<A, ShortcutItem>& s) {
    a.text(s.target);
    a.text(s.shortcutFile);
    a.text(s.arguments);
    a.text(s.workingDirectory);
    a.text(s.icon);
    fields<A>(a, s.condition);
}

template <class A>
void fields(A& a, Item<A, IniItem>& i) {
    a.text(i.file);
    a.text(i.section);
    a.text(i.keyAndValue);
    fields<A>(a, i.condition);
}

template <class A>
void fields(A& a, Item<A, TextEditItem>& e) {
    a.number(e.mode);
    a.text(e.file);
    a.text(e.anchor);
    a.text(e.text);
    fields<A>(a, e.condition);
}

template <class A>
void fields(A& a, Item<A, StageFileOperation>& o) {
    a.number(o.stage);
    a.number(o.action);
    a.text(o.source);
    a.text(o.target);
    fields<A>(a, o.condition);
}

template <class A>
void fields(A& a, Item<A, UserVariable>& v) {
    a.text(v.name);
    a.enumeration(v.kind);
    a.enumeration(v.source);
    a.text(v.defaultText);
    a.text(v.field1);
    a.text(v.field2);
    a.text(v.field3);
    a.number(v.options);
}

template <class A>
void fields(A& a, Item<A, StageOpenItem>& o) {
    a.number(o.stage);
    a.text(o.verb);
    a.text(o.path);
    a.text(o.parameters);
    fields<A>(a, o.condition);
}

template <class A>
void fields(A& a, Item<A, RegistryLocation>& l) {
    a.number(l.root);
    a.text(l.keyPath);
    a.text(l.valueName);
}

template <class A>
void fields(A& a, Item<A, AfterInstallItem>& i) {
    a.text(i.path);
    a.flag(i.shown);
    a.flag(i.checked);
    a.flag(i.silentOpen);
}

template <class A>
void fields(A& a, Item<A, Component>& c) {
    if (!a.enter())
        return;
    a.text(c.name);
    a.text(c.description);
    a.number(c.flags);
    a.number64(c.size);
    for (auto& n : c.further)
        a.number(n);
    a.list(c.children, [](A& x, Item<A, Component>& item) { fields<A>(x, item); });
    a.leave();
}

// The product name first, then the strings, then the option words.
template <class A>
void fields(A& a, Item<A, PackageSettings>& s) {
    a.text(s.productName);
    a.text(s.windowTitle);
    a.text(s.installDirectory);
    a.text(s.shortcutFolder);
    fields<A>(a, s.marker);
    fields<A>(a, s.destinationSource);
    a.text(s.fromVersion);
    a.text(s.toVersion);
    a.text(s.preUninstallProgram);
    for (auto& item : s.afterInstall)
        fields<A>(a, item);
    a.text(s.languageCaption);
    a.text(s.languagePrompt);
    a.text(s.finishText);
    a.text(s.updateFinishText);
    for (auto& type : s.installTypes) {
        a.text(type.caption);
        a.text(type.description);
    }
    a.text(s.summary.heading);
    a.text(s.summary.type);
    a.text(s.summary.components);
    a.text(s.summary.requiredSpace);
    a.text(s.summary.availableSpace);
    a.text(s.summary.destination);
    a.text(s.summary.programFolder);
    a.number(s.pages);
    a.enumeration(s.windowStyle);
    a.number(s.overwriteMode);
    a.number(s.options);
    a.number64(s.requiredSize);
}

template <class A>
void fields(A& a, Item<A, Script>& s) {
    for (auto& root : s.registry)
        fields<A>(a, root);
    a.list(s.shortcuts, [](A& x, Item<A, ShortcutItem>& item) { fields<A>(x, item); });
    a.list(s.iniItems, [](A& x, Item<A, IniItem>& item) { fields<A>(x, item); });
    a.list(s.textEdits, [](A& x, Item<A, TextEditItem>& item) { fields<A>(x, item); });
    a.list(s.stageFileOperations,
           [](A& x, Item<A, StageFileOperation>& item) { fields<A>(x, item); });
    a.list(s.userVariables, [](A& x, Item<A, UserVariable>& item) { fields<A>(x, item); });
    a.list(s.stageOpenItems, [](A& x, Item<A, StageOpenItem>& item) { fields<A>(x, item); });
    fields<A>(a, s.settings);
    a.list(s.components, [](A& x, Item<A, Component>& item) { fields<A>(x, item); });
}

template <class A>
void fields(A& a, Item<A, FileTime>& t) {
    a.flag(t.set);
    a.number64(t.value);
}

template <class A>
void fields(A& a, Item<A, PackagedFile>& f) {
    a.enumeration(f.storage);
    a.number(f.dataSize);
    a.number(f.originalSize);
    fields<A>(a, f.created);
    fields<A>(a, f.lastWritten);
    a.number(f.attributes);
    a.number(f.versionHigh);
    a.number(f.versionLow);
    a.number(f.language);
    a.number(f.options);
    a.number(f.component);
    a.number(f.typeMask);
    fields<A>(a, f.condition);
    a.text(f.target);
    a.text(f.externalName);
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

std::uint32_t readWord(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

std::string encodeScript(const Script& script) {
    Writer w;
    fields<Writer>(w, script);
    return w.take();
}

std::optional<Script> decodeScript(std::string_view bytes) {
    Reader r(bytes);
    Script script;
    fields<Reader>(r, script);
    if (r.failed() || !r.atEnd())
        return std::nullopt;
    return script;
}

std::string encodeFileRecord(const PackagedFile& file) {
    Writer w;
    fields<Writer>(w, file);
    return w.take();
}

std::optional<PackagedFile> decodeFileRecord(std::string_view bytes, std::size_t& used) {
    Reader r(bytes);
    PackagedFile file;
    fields<Reader>(r, file);
    if (r.failed())
        return std::nullopt;
    used = r.position();
    return file;
}

std::string encodeLanguageSet(const LanguageSet& set) {
    Writer w;
    w.number(static_cast<std::uint32_t>(set.name.size()));
    std::string out = w.take();
    out += set.name;
    Writer tail;
    tail.number(set.identifier);
    std::string sealed = sealTwice(joinLines(set.lines), clockKeyDraw());
    tail.number(static_cast<std::uint32_t>(sealed.size()));
    out += tail.take();
    out += sealed;
    return out;
}

std::optional<LanguageSet> decodeLanguageSet(std::string_view entry, bool withTexts) {
    if (entry.size() < 4)
        return std::nullopt;
    std::uint32_t nameLength = readWord(entry, 0);
    if (nameLength > entry.size() - 4 || entry.size() - 4 - nameLength < 8)
        return std::nullopt;
    LanguageSet set;
    set.name.assign(entry.substr(4, nameLength));
    std::size_t at = 4 + nameLength;
    set.identifier = readWord(entry, at);
    std::uint32_t textLength = readWord(entry, at + 4);
    at += 8;
    if (textLength > entry.size() - at)
        return std::nullopt;
    if (!withTexts)
        return set;
    std::optional<std::string> text = unsealTwice(entry.substr(at, textLength));
    if (!text)
        return std::nullopt;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text->find("\r\n", start);
        set.lines.push_back(text->substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return set;
}

}  // namespace vortix
