#include "toolkit/render/ImageDescriptor.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using namespace SkinUI;

// The launcher's progress bar: 530 x 13 at (320, 320).
const SkinRect kControl = {320, 320, 850, 333};

bool Same(const SkinRect& a, const SkinRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<ImageDescriptor> ReadAll(CImageDescriptorReader& reader)
{
    std::vector<ImageDescriptor> images;
    ImageDescriptor image;
    while (reader.Next(image)) images.push_back(image);
    return images;
}

// Reads the texts, and also the pairs read from them once (as a control
// keeps them): both must give the same images.
std::vector<ImageDescriptor> Read(std::wstring_view descriptor, std::wstring_view modifier = {},
                                  const SkinRect& control = kControl)
{
    CImageDescriptorReader reader(descriptor, modifier, control);
    const std::vector<ImageDescriptor> images = ReadAll(reader);

    CImageDescriptorPairs readDescriptor, readModifier;
    EXPECT_TRUE(readDescriptor.Assign(descriptor));
    EXPECT_TRUE(readModifier.Assign(modifier));
    CImageDescriptorReader pairs(ImageDescriptorInput::Read(readDescriptor),
                                 ImageDescriptorInput::Read(readModifier.Pairs(), readModifier.Count()), control);
    const std::vector<ImageDescriptor> replayed = ReadAll(pairs);
    EXPECT_EQ(replayed.size(), images.size()) << std::wstring(descriptor);
    for (std::size_t i = 0; i < images.size() && i < replayed.size(); ++i) {
        const ImageDescriptor& a = images[i];
        const ImageDescriptor& b = replayed[i];
        EXPECT_TRUE(a.name == b.name && a.type == b.type && Same(a.dest, b.dest) && Same(a.source, b.source) &&
                    Same(a.corner, b.corner) && a.mask == b.mask && a.fade == b.fade && a.hole == b.hole &&
                    a.xtiled == b.xtiled && a.ytiled == b.ytiled)
            << "read once, image " << i << " of " << std::wstring(descriptor) << " " << std::wstring(modifier);
    }
    return images;
}

TEST(ImageDescriptorTest, BareNameTakesEveryDefault)
{
    const auto images = Read(L"shadow.png");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].name, L"shadow.png");
    EXPECT_EQ(images[0].type, L"");
    EXPECT_TRUE(Same(images[0].dest, kControl));
    EXPECT_TRUE(Same(images[0].source, {0, 0, 0, 0}));
    EXPECT_TRUE(Same(images[0].corner, {0, 0, 0, 0}));
    EXPECT_EQ(images[0].fade, 255);
    EXPECT_EQ(images[0].mask, 0u);
    EXPECT_FALSE(images[0].hole || images[0].xtiled || images[0].ytiled);
}

TEST(ImageDescriptorTest, ReadsEveryKey)
{
    const auto images = Read(L"file='gprogress_bk.png' corner='3,3,3,3' source='1,2,3,4' mask='#FFFF00FF' "
                             L"fade='128' hole='true' xtiled='true' ytiled='false'");
    ASSERT_EQ(images.size(), 1u);
    const ImageDescriptor& d = images[0];
    EXPECT_EQ(d.name, L"gprogress_bk.png");
    EXPECT_TRUE(Same(d.corner, {3, 3, 3, 3}));
    EXPECT_TRUE(Same(d.source, {1, 2, 3, 4}));
    EXPECT_EQ(d.mask, 0xFFFF00FFu);
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole);
    EXPECT_TRUE(d.xtiled);
    EXPECT_FALSE(d.ytiled);
}

TEST(ImageDescriptorTest, DestinationIsRelativeAndLimitedToTheControl)
{
    struct Case {
        const wchar_t* modifier;
        SkinRect expected;
    } cases[] = {
        {L"dest='0,0,265,13'", {320, 320, 585, 333}},
        {L"dest='0,0,600,20'", {320, 320, 850, 333}},        // cut at the control's right and bottom
        {L"dest='-5,-5,10,10'", {315, 315, 330, 330}},       // left and top are not limited
        {L"dest='2147483647,0,2147483647,5'", {INT_MAX, 320, 850, 325}},  // no overflow
    };
    for (const Case& c : cases) {
        const auto images = Read(L"file='gprogress_fore.png' corner='3,3,3,3'", c.modifier);
        ASSERT_EQ(images.size(), 1u) << c.modifier;
        EXPECT_TRUE(Same(images[0].dest, c.expected)) << c.modifier;
        EXPECT_EQ(images[0].name, L"gprogress_fore.png");
        EXPECT_TRUE(Same(images[0].corner, {3, 3, 3, 3}));
    }
}

TEST(ImageDescriptorTest, MalformedTextEndsReadingAtTheFault)
{
    struct Case {
        const wchar_t* descriptor;
        const wchar_t* modifier;
        const wchar_t* name;
        SkinRect corner;
        int fade;
    } cases[] = {
        // The second pair follows the closing apostrophe without a space.
        {L"file='a.png'corner='1,1,1,1'", L"", L"a.png", {0, 0, 0, 0}, 255},
        // A tab is not the space that continues the text.
        {L"file='a.png'\tfade='9'", L"", L"a.png", {0, 0, 0, 0}, 255},
        // No closing apostrophe: that pair does not count.
        {L"file='a.png' corner='3,3", L"", L"a.png", {0, 0, 0, 0}, 255},
        {L"file='a.png", L"", L"file='a.png", {0, 0, 0, 0}, 255},
        // No "=", or a value without apostrophes.
        {L"file='a.png' corner", L"", L"a.png", {0, 0, 0, 0}, 255},
        {L"file='a.png' fade=\"7\"", L"", L"a.png", {0, 0, 0, 0}, 255},
        // White space around "=" and between pairs is allowed.
        {L"  file = 'a.png'    fade=  '10'", L"", L"a.png", {0, 0, 0, 0}, 10},
        // An empty value is ignored: the name stays the whole text.
        {L"file='' fade='3'", L"", L"file='' fade='3'", {0, 0, 0, 0}, 3},
        // Unknown keys are skipped; a fault in the descriptor still reads the modifier.
        {L"file='a.png' foo='bar' x", L"fade='7' corner='1,2,3,4'", L"a.png", {1, 2, 3, 4}, 7},
        // Fade keeps 8 bits.
        {L"file='a.png' fade='300'", L"", L"a.png", {0, 0, 0, 0}, 44},
        {L"file='a.png' fade='-1'", L"", L"a.png", {0, 0, 0, 0}, 255},
    };
    for (const Case& c : cases) {
        const auto images = Read(c.descriptor, c.modifier);
        ASSERT_EQ(images.size(), 1u) << c.descriptor;
        EXPECT_EQ(images[0].name, c.name) << c.descriptor;
        EXPECT_TRUE(Same(images[0].corner, c.corner)) << c.descriptor;
        EXPECT_EQ(images[0].fade, c.fade) << c.descriptor;
    }
}

TEST(ImageDescriptorTest, LayersImagesInOneDescriptor)
{
    // Each later "file" or "restype" draws what was named so far; settings carry on.
    const auto images = Read(L"file='a.png' fade='128' file='b.png' hole='true' dest='0,0,10,10'");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].name, L"a.png");
    EXPECT_EQ(images[0].fade, 128);
    EXPECT_FALSE(images[0].hole);
    EXPECT_TRUE(Same(images[0].dest, kControl));
    EXPECT_EQ(images[1].name, L"b.png");
    EXPECT_EQ(images[1].fade, 128);
    EXPECT_TRUE(images[1].hole);
    EXPECT_TRUE(Same(images[1].dest, {320, 320, 330, 330}));

    // "res" is not a layer boundary, "restype" is.
    const auto resource = Read(L"res='130' restype='PNG'");
    ASSERT_EQ(resource.size(), 1u);
    EXPECT_EQ(resource[0].name, L"130");
    EXPECT_EQ(resource[0].type, L"PNG");

    const auto retyped = Read(L"file='a.png' restype='PNG'");
    ASSERT_EQ(retyped.size(), 2u);
    EXPECT_EQ(retyped[0].type, L"");
    EXPECT_EQ(retyped[1].name, L"a.png");
    EXPECT_EQ(retyped[1].type, L"PNG");

    // A modifier's "file" layers over the descriptor's image.
    const auto modified = Read(L"a.png", L"file='b.png'");
    ASSERT_EQ(modified.size(), 1u);
    EXPECT_EQ(modified[0].name, L"b.png");
}

TEST(ImageDescriptorTest, EmptyDescriptorGivesOneImageWithoutName)
{
    const auto images = Read(L"");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_TRUE(images[0].name.empty());
}

TEST(ImageDescriptorTest, MaskTakesAnOptionalHash)
{
    EXPECT_EQ(Read(L"file='a.png' mask='FF00FF'")[0].mask, 0x00FF00FFu);
    EXPECT_EQ(Read(L"file='a.png' mask='#ffff00ff'")[0].mask, 0xFFFF00FFu);
}

TEST(ImageDescriptorTest, ReadOnceKnowsWhetherAnImageReachesOutsideTheControl)
{
    struct Case {
        const wchar_t* descriptor;
        bool outside;
    } cases[] = {
        {L"a.png", false},
        {L"file='a.png' dest='0,0,600,600'", false},  // right and bottom are cut at the control
        {L"file='a.png' dest='-1,0,10,10'", true},
        {L"file='a.png' dest='0,-3,10,10'", true},
        {L"file='a.png' file='b.png' dest='-1,-1,5,5'", true},  // any layer
        {L"file='a.png'dest='-1,-1,5,5'", false},               // not read: the text ends before it
    };
    for (const Case& c : cases) {
        CImageDescriptorPairs pairs;
        ASSERT_TRUE(pairs.Assign(c.descriptor));
        EXPECT_EQ(pairs.ReachesOutside(), c.outside) << c.descriptor;
        EXPECT_EQ(pairs.Text(), c.descriptor);
    }
    CImageDescriptorPairs pairs;
    pairs.Assign(L"file='a.png' dest='-1,0,10,10'");
    pairs.Clear();
    EXPECT_FALSE(pairs.IsValid());
    EXPECT_FALSE(pairs.ReachesOutside());
}

// A descriptor is logical: at 150 % its "dest" offsets, "source" part and
// "corner" widths are scaled (corners to the pixels whole inside them), while
// the modifier, made from the control's own rectangle, is taken as it is.
TEST(ImageDescriptorTest, DescriptorLengthsScaleWithTheDisplayAndTheModifierDoesNot)
{
    const SkinRect control = {480, 480, 1275, 500};  // the progress bar at 150 %
    const CDisplayScale scale(144);
    CImageDescriptorReader reader(L"file='bar.png' dest='2,0,30,13' source='0,0,24,13' corner='3,3,9,3'", {}, control,
                                  scale);
    const auto images = ReadAll(reader);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_TRUE(Same(images[0].dest, {483, 480, 525, 500}));  // 2, 30 and 13 scaled; bottom limited to the control
    EXPECT_TRUE(Same(images[0].source, {0, 0, 36, 20}));
    EXPECT_TRUE(Same(images[0].corner, {4, 4, 13, 4}));

    CImageDescriptorPairs pairs;
    ASSERT_TRUE(pairs.Assign(L"file='bar.png' corner='3,3,3,3'"));
    const ImageDescriptorPair modifier[] = {MakeImageDescriptorPair(L"dest", L"0,0,397,20"),
                                            MakeImageDescriptorPair(L"source", L"0,0,397,20")};
    CImageDescriptorReader replay(ImageDescriptorInput::Read(pairs), ImageDescriptorInput::Read(modifier, 2), control,
                                  scale);
    const auto filled = ReadAll(replay);
    ASSERT_EQ(filled.size(), 1u);
    EXPECT_TRUE(Same(filled[0].dest, {480, 480, 877, 500}));
    EXPECT_TRUE(Same(filled[0].source, {0, 0, 397, 20}));
    EXPECT_TRUE(Same(filled[0].corner, {4, 4, 4, 4}));

    // At 100 % nothing changes.
    CImageDescriptorReader logical(L"file='bar.png' dest='2,0,30,13' corner='3,3,9,3'", {}, kControl, CDisplayScale());
    const auto plain = ReadAll(logical);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_TRUE(Same(plain[0].dest, {322, 320, 350, 333}));
    EXPECT_TRUE(Same(plain[0].corner, {3, 3, 9, 3}));
}

}  // namespace
