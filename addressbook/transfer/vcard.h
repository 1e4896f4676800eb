// vCard files: written as vCard 3.0 (UTF-8, CR LF, lines folded at 75 octets), read
// as versions 2.1, 3.0 and 4.0 write them (folded lines, quoted-printable values
// and charsets of 2.1, grouped properties such as item1.TEL, 4.0's tel: values), in
// UTF-8, in UTF-16 with a byte-order mark, or in Windows-1252. A value without a
// charset is read as detectEncoding judges its bytes; a card inside a card (2.1's
// AGENT) is read over.
//
// An entry is one card: N, FN, ORG, one TEL for each phone with HOME, WORK, CELL,
// FAX or PAGER, ADR, EMAIL, URL, NOTE, and the group as CATEGORIES. Names go out
// as the user typed them (the stored "&&" undone) and come back in stored form.
// On reading, a second value for a field that is already filled (a second mobile
// number, a second address) goes to the note rather than being lost.
//
// The entry's picture goes out as the card's PHOTO when it is a JPEG file that can be
// read. A card's embedded PHOTO (3.0's base64, 2.1's BASE64, 4.0's data: address)
// that is a JPEG or BMP picture comes in as a new file in the book's picture folder,
// which becomes the entry's picture; other kinds are counted, not kept. A photo given
// by address becomes a note line "Photo: " and the address.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/model/group_list.h"
#include "addressbook/transfer/pictures.h"
#include "addressbook/transfer/table_import.h"

namespace ctlite::transfer {

// `files` reads the entry's picture; without it no picture goes out.
void appendVCard(std::string& out, const Entry& entry, std::string_view groupName,
                 platform::FileSystem* files = nullptr);
// Every entry of the group in stored order; the placeholder of an empty group is left out.
std::string writeVCards(const GroupList& list, std::string_view groupName,
                        platform::FileSystem* files = nullptr);

// Every card of the file as an entry at the front of `into`, as importTable does.
// `records` counts the cards. Photos go to `pictures`; without it none is kept.
ImportSummary importVCards(std::string_view fileBytes, GroupList& into,
                           PictureFolder* pictures = nullptr);

}  // namespace ctlite::transfer
