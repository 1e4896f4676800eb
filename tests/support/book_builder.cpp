#include "tests/support/book_builder.h"

#include "addressbook/model/text.h"

namespace testing_support {

using ctlite::Entry;
using ctlite::Field;

namespace {

std::uint32_t nextRandom(std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

}  // namespace

Entry makeEntry(std::initializer_list<std::pair<Field, std::string>> fields) {
    Entry entry;
    for (const auto& [field, text] : fields)
        entry.set(field, text);
    return entry;
}

std::string randomText(std::uint32_t& seed, int maxLength) {
    int length = static_cast<int>(nextRandom(seed) % static_cast<std::uint32_t>(maxLength + 1));
    std::string text;
    while (static_cast<int>(text.size()) < length) {
        std::uint32_t r = nextRandom(seed) % 100;
        char c;
        if (r < 70)
            c = static_cast<char>('a' + nextRandom(seed) % 26);
        else if (r < 80)
            c = ' ';
        else if (r < 85)
            c = static_cast<char>(0x80 + nextRandom(seed) % 0x80);
        else if (r < 88) {
            text += "\r\n";
            continue;
        } else
            c = static_cast<char>(0x20 + nextRandom(seed) % 0x5F);
        if (!ctlite::isReservedByte(c))
            text.push_back(c);
    }
    return text.substr(0, static_cast<std::size_t>(length));
}

Entry randomEntry(std::uint32_t& seed) {
    Entry entry;
    for (int f = 1; f < ctlite::kFieldCount; ++f)
        if (nextRandom(seed) % 3 != 0)
            entry.set(static_cast<Field>(f), randomText(seed, 20));
    // Keep it a real entry, as the entry editor would.
    if (entry.get(Field::FirstName).empty() && entry.get(Field::CompanyName).empty())
        entry.set(Field::FirstName, "x" + randomText(seed, 8));
    return entry;
}

ctlite::AddressBook randomBook(std::uint32_t seed, int groups, int entriesPerGroup) {
    ctlite::AddressBook book;
    for (int g = 2; g < groups; ++g)
        book.addGroup("g" + randomText(seed, 30));
    book.group(0).setName("one " + randomText(seed, 10));
    book.group(1).setName("two " + randomText(seed, 10));
    for (int g = 0; g < groups; ++g) {
        int n =
            static_cast<int>(nextRandom(seed) % static_cast<std::uint32_t>(entriesPerGroup + 1));
        for (int i = 0; i < n; ++i)
            book.group(g).entries().insert(1, randomEntry(seed));
    }
    book.setPassword("pw" + randomText(seed, 20));
    for (int i = 0; i < ctlite::kLabelCount; ++i)
        book.labels().set(static_cast<ctlite::Label>(i), "L" + randomText(seed, 12));
    return book;
}

ctlite::AddressBook generatedBook(int entries, int groups, std::uint32_t seed) {
    static const char* kFirst[] = {"Ann",   "Bob",   "Carla", "David", "Emma",  "Frank", "Grace",
                                   "Henry", "Irene", "John",  "Karin", "Louis", "Maria", "Nils"};
    static const char* kLast[] = {"Smith",  "Jones", "Miller", "Brown",  "Garcia",   "Müller",
                                  "Dubois", "Rossi", "Novak",  "Larsen", "Kowalski", "Silva"};
    ctlite::AddressBook book;
    for (int g = 2; g < groups; ++g)
        book.addGroup("Group " + std::to_string(g + 1));
    for (int i = 0; i < entries; ++i) {
        std::string n = std::to_string(i);
        std::string first = kFirst[nextRandom(seed) % 14];
        std::string last = std::string(kLast[nextRandom(seed) % 12]) + n;
        Entry e = makeEntry({
            {Field::FirstName, first},
            {Field::LastName, last},
            {Field::CompanyName, i % 3 == 0 ? "Company " + n + " Ltd" : ""},
            {Field::HomePhone, "+44 20 7946 " + n},
            {Field::WorkPhone, i % 2 ? "+44 20 7000 " + n : ""},
            {Field::StreetAddress, n + " High Street"},
            {Field::City, "London"},
            {Field::ZipCode, "SW1A " + n},
            {Field::Country, "United Kingdom"},
            {Field::EmailAddress, first + "." + last + "@example.com"},
            {Field::Note, i % 4 == 0 ? "Met at the conference.\r\nCall back in May." : ""},
        });
        book.group(i % groups).entries().pushFront(std::move(e));
    }
    return book;
}

}  // namespace testing_support
