// The default PNG form: the palette form whenever it shows the image exactly,
// RGBA otherwise. Whatever it picks must decode to the very RGBA bytes that
// --rgba writes, for every entry of every test container and every option.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "container/Container.h"
#include "export/EntryExport.h"

#include <gtest/gtest.h>

namespace zpk::testing {
namespace {

PictureOptions optionsOf(OutputForm form, DropFirst dropFirst, bool ramp)
{
    PictureOptions options;
    options.form = form;
    options.dropFirst = dropFirst;
    options.userColor = ramp;
    options.color1 = "-40";
    options.color3 = "2.5";
    return options;
}

TEST(SmallestForm, DecodesToTheSamePixelsAsRgbaEverywhere)
{
    int palettes = 0;
    int rgbas = 0;
    for (const fs::path& path : testContainers()) {
        const auto file = loadContainer(path.string());
        if (!file) continue;
        for (int row = 0; row < file->rowCount(); ++row) {
            for (const DropFirst dropFirst : {DropFirst::Off, DropFirst::On}) {
                for (const bool ramp : {false, true}) {
                    const auto smallest =
                        exportEntry(*file, row, optionsOf(OutputForm::Smallest, dropFirst, ramp));
                    const auto rgba = exportEntry(*file, row, optionsOf(OutputForm::Rgba, dropFirst, ramp));
                    ASSERT_EQ(smallest.has_value(), rgba.has_value()) << path << " row " << row;
                    if (!smallest) continue;
                    ASSERT_EQ(rgba->form, OutputForm::Rgba);
                    (smallest->form == OutputForm::Indexed ? palettes : rgbas) += 1;
                    const DecodedPng a = decodePng(smallest->png);
                    const DecodedPng b = decodePng(rgba->png);
                    ASSERT_EQ(a.width, b.width);
                    ASSERT_EQ(a.height, b.height);
                    EXPECT_TRUE(a.rgba == b.rgba) << path << " row " << row;
                }
            }
        }
    }
    EXPECT_GT(palettes + rgbas, 500);
}

// The cases of the choice, on images made for them.
TEST(SmallestForm, PicksThePaletteFormWhenItIsExact)
{
    const auto formOf = [](const Bytes& entry, DropFirst dropFirst) {
        const ContainerFile file = parsed(singleEntry(entry));
        PictureOptions options;
        options.dropFirst = dropFirst;
        const auto exported = exportEntry(file, 0, options);
        EXPECT_TRUE(exported.has_value());
        return exported ? exported->form : OutputForm::Smallest;
    };
    // every pixel drawn
    EXPECT_EQ(formOf(kWorkedEntry, DropFirst::Off), OutputForm::Indexed);
    // the stream ends early: a value the image does not use stands for the rest
    EXPECT_EQ(formOf(shortStreamEntry(), DropFirst::Off), OutputForm::Indexed);
    EXPECT_EQ(formOf(shortStreamEntry(), DropFirst::On), OutputForm::Indexed);

    // all 256 values used and a pixel not drawn: no index to spare
    WriterImage all{16, 17, greyRamp(256), Bytes(16 * 17, 0)};
    for (int v = 0; v < 256; ++v) all.pixels[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v);
    Bytes allValues = built(ContainerBuilder().entry(all));
    allValues.resize(allValues.size() - 2);  // cut the stream's last pixels
    const ContainerFile file = parsed(allValues);
    const auto exported = exportEntry(file, 0, PictureOptions{});
    ASSERT_TRUE(exported.has_value());
    EXPECT_EQ(exported->form, OutputForm::Rgba);
    PictureOptions dropping;
    dropping.dropFirst = DropFirst::On;  // but value 0 is transparent already
    EXPECT_EQ(exportEntry(file, 0, dropping)->form, OutputForm::Indexed);
}

}  // namespace
}  // namespace zpk::testing
