#include "common/message_text.h"

#include "common/utf8.h"

std::string bounded_for_message(std::string_view text, std::size_t limit) {
    std::size_t at = 0;
    for (std::size_t count = 0; at < text.size(); ++count) {
        if (count == limit) {
            return std::string(text.substr(0, at)) + "…";
        }
        at += message_character_length(text, at);
    }
    return std::string(text);
}
