#include "runtime/TextLimits.h"

namespace lumadesk {

std::string cutToCharacters(std::string_view text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuesCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (continuesCharacter) continue;
        if (characters == limit) return std::string(text.substr(0, i));
        ++characters;
    }
    return std::string(text);
}

}  // namespace lumadesk
