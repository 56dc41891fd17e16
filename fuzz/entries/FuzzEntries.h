#pragma once

// The fuzz targets' entries, one per parser of outside data. Each takes any
// bytes, checks what the parser promises about them, and calls abort() when
// a promise breaks. The libFuzzer programs in fuzz/ call them, and the
// ordinary tests feed them random and truncated input, so a gcc build
// checks them too. Each returns 0.

#include <cstddef>
#include <cstdint>

namespace fuzzentries {

// Both address-book readers (the phone's book and a backup's contact
// table) and the name lookup over what they found.
int addressBook(const uint8_t* data, size_t size);
// The attributedBody decoder, and encoding its text again.
int attributedBody(const uint8_t* data, size_t size);
// The backup lookup on a folder generated from the input.
int backupLookup(const uint8_t* data, size_t size);
// The updater's file naming on the bytes taken as an address.
int downloadName(const uint8_t* data, size_t size);
// The key-bag parser, writing a bag out and reading it again.
int keyBag(const uint8_t* data, size_t size);
// The Manifest.mbdb parser, writing what it accepts and reading it again.
int mbdb(const uint8_t* data, size_t size);
// The message store on the bytes as a database file: read, browsed, deleted in.
int messageStore(const uint8_t* data, size_t size);
// The property-list readers of a backup folder (Info, Status and Manifest
// lists, file records, description files); the first byte picks the list.
int plist(const uint8_t* data, size_t size);
// The "recipients" cell of a legacy multimedia message (a property list).
int recipients(const uint8_t* data, size_t size);
// The search query parser and folding: the first line a query, the rest a text.
int search(const uint8_t* data, size_t size);
// The HEIC/HEIF picture decoder of the chat page (library viewfuzzentries,
// which brings the widgets along).
int heif(const uint8_t* data, size_t size);
// The play time of voice messages (Core Audio, MPEG-4, AMR headers), also
// in library viewfuzzentries.
int mediaDuration(const uint8_t* data, size_t size);

} // namespace fuzzentries
