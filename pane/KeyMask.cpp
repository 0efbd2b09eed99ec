#include "pane/KeyMask.h"

#include "platform/MacRoman.h"

std::string maskOfStoredKey(std::string_view storedUtf8) {
    std::string mask;
    const std::size_t count = platform::characterCount(storedUtf8);
    mask.reserve(count * kMaskCharacter.size());
    for (std::size_t i = 0; i < count; ++i) mask += kMaskCharacter;
    return mask;
}

bool showsStoredKey(std::string_view fieldUtf8) {
    return fieldUtf8.starts_with(kMaskCharacter);
}
