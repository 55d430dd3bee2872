#include "common/utf8.h"

Utf8Char decode_utf8(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {lead, 1, Utf8Status::valid};
    }
    std::size_t length = 0;
    char32_t point = 0;
    char32_t least = 0;  // the smallest value that needs this length
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        point = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        point = lead & 0x0F;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        point = lead & 0x07;
        least = 0x10000;
    }
    if (length == 0 || length > text.size() - at) {
        return {};
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if (!is_utf8_continuation(static_cast<char>(next))) {
            return {};
        }
        point = (point << 6) | (next & 0x3F);
    }
    Utf8Status status = Utf8Status::valid;
    if (point < least) {
        status = Utf8Status::overlong;
    } else if (point >= 0xD800 && point <= 0xDFFF) {
        status = Utf8Status::surrogate;
    } else if (point > 0x10FFFF) {
        status = Utf8Status::too_large;
    }
    return {point, length, status};
}

std::size_t message_character_length(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const Utf8Char character = decode_utf8(text, at);
    return character.status != Utf8Status::malformed && lead >= 0xC2 && lead <= 0xF4
               ? character.length
               : 1;
}

bool is_message_utf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = message_character_length(text, at);
        if (length == 1 && static_cast<unsigned char>(text[at]) >= 0x80) {
            return false;
        }
        at += length;
    }
    return true;
}
