// Arbitrary bytes as a web page, as bxpage reads one: parsed with a limit of
// embedded files the first byte picks, each embedded file's size and type
// read, and the page laid out at a width the second byte picks. The items
// must name embeds that exist, the sizes stay in range and the layout give
// every embed a box, texts from the top down.
#include "bxpage/layout.h"
#include "bxpage/page.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    const std::size_t maxEmbeds = size > 0 ? 1 + data[0] % 80 : bxpage::kMaxEmbeds;
    const bxpage::Page page = bxpage::ParsePage(html, maxEmbeds);
    if (page.embeds.size() > maxEmbeds)
        __builtin_trap();
    for (const bxpage::PageItem& item : page.items)
        if (item.kind == bxpage::PageItem::Kind::Embed && item.embed >= page.embeds.size())
            __builtin_trap();
    for (const bxpage::Embed& embed : page.embeds) {
        const bxpage::EmbedSize box = bxpage::SizeOf(embed);
        if (box.width < 1 || box.width > bxpage::kMaxEmbedSide || box.height < 1 ||
            box.height > bxpage::kMaxEmbedSide)
            __builtin_trap();
        if (const std::string* src = embed.Find("src"))
            (void)bxpage::MimeTypeOfName(*src);
    }
    const int width = size > 1 ? data[1] * 8 : 1024;
    const bxpage::Placement placement = bxpage::LayOut(
        bxpage::FlowOf(page), width, 16, [](const char*, int count) { return count * 8; });
    if (placement.boxes.size() != page.embeds.size())
        __builtin_trap();
    for (std::size_t i = 1; i < placement.texts.size(); ++i)
        if (placement.texts[i].y < placement.texts[i - 1].y)
            __builtin_trap();
    return 0;
}
