// The settings file, which any program of the person's may have written: whatever text
// reads as settings writes back as text that reads the same and writes the same again,
// and a bounded write never goes over its bound.
#include "CorvaneApp/SettingsText.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <cstddef>
#include <cstdint>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto values = SettingsText::parse(text);
    if (!values)
        return 0;
    for (const auto& [key, value] : *values) {
        FUZZ_CHECK(!key.startsWith(u'/'));
        FUZZ_CHECK(value.list ? value.strings.size() >= 2 : value.strings.size() == 1);
        value.text();
    }
    const QByteArray written = SettingsText::write(*values);
    const auto again = SettingsText::parse(written);
    FUZZ_CHECK(again == values);
    FUZZ_CHECK(SettingsText::write(*again) == written);
    // Half the room: keys with an odd length are the ones to keep.
    const auto fitted = SettingsText::write(*values, static_cast<std::size_t>(written.size()) / 2,
                                            [](const QString& key) { return key.size() % 2 == 1; });
    if (fitted) {
        FUZZ_CHECK(static_cast<std::size_t>(fitted->text.size()) <= static_cast<std::size_t>(written.size()) / 2);
        const auto kept = SettingsText::parse(fitted->text);
        FUZZ_CHECK(kept && kept->size() + static_cast<std::size_t>(fitted->left) == values->size());
    }
    return 0;
}
