// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "text/printable.h"

namespace velmora {

namespace {

void AppendHex(std::string& out, unsigned value) {
    constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[(value >> 4) & 0xF];
    out += kDigits[value & 0xF];
}

void AppendControl(std::string& out, unsigned char c) {
    // \a \b \t \n \v \f \r by their letters, the rest by number.
    constexpr std::string_view kLetters = "abtnvfr";
    if (c >= '\a' && c <= '\r') {
        out += '\\';
        out += kLetters[c - '\a'];
    } else {
        AppendHex(out, c);
    }
}

bool Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of `text`
// (RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF); 0 if
// there is none.
std::size_t SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!Continuation(byte(i))) return 0;
    }
    return length;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const unsigned char c = static_cast<unsigned char>(text.front());
        if (c < 0x20 || c == 0x7F) {
            AppendControl(out, c);
            text.remove_prefix(1);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            text.remove_prefix(1);
        } else if (const std::size_t length = SequenceLength(text); length == 0) {
            AppendHex(out, c);
            text.remove_prefix(1);
        } else if (c == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            // U+0080 to U+009F: the C1 controls, which some terminals obey too.
            AppendHex(out, static_cast<unsigned char>(text[1]));
            text.remove_prefix(2);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

std::string Quoted(std::string_view text) {
    // Appended rather than "'" + ...: GCC 12 at -O3 warns falsely of an
    // overflow in the string sum.
    std::string quoted(1, '\'');
    quoted += Printable(text);
    quoted += '\'';
    return quoted;
}

}  // namespace velmora
