// The lookup service's reply cut into its certificates. The reply is read here without any
// platform call, so that the reading can be tried on its own.
//
// Reply: "<!--AUTOINFO", one separator byte, a header text ("num=N" line, then N lines each
//        holding "size=S"), "-->", one separator byte, then the N certificates as DER, back
//        to back.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <vector>

// Where one certificate lies in a reply body.
struct SiteSealRecord {
  size_t offset;
  size_t size;
};

// Cuts a lookup reply into its certificates. True when the reply carries a record list (marker,
// end of header, "num=" with N > 0); `records` then holds every record that lies wholly inside
// the body, at its offset from the body's start.
bool ParseLookupReply(const BYTE* body, size_t length, std::vector<SiteSealRecord>* records);
