#include "output/save_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// The filter list as the pieces between its zeros.
std::vector<Text16> pieces(const Text16& list) {
    std::vector<Text16> out;
    size_t start = 0;
    while (start < list.size() && list[start] != 0) {
        const size_t end = list.find(u'\0', start);
        out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}
}  // namespace

TEST(SaveRules, FilterListsEndInTwoZerosAndOfferBmpOnlyForADecodedPage) {
    const Text16 with = save_filter_list(true), without = save_filter_list(false);
    EXPECT_EQ(pieces(with), (std::vector<Text16>{u"TIFF (*.tif)", u"*.tif;*.tiff", u"BMP (*.bmp)", u"*.bmp"}));
    EXPECT_EQ(pieces(without), (std::vector<Text16>{u"TIFF (*.tif)", u"*.tif;*.tiff"}));
    EXPECT_EQ(pieces(open_filter_list()),
              (std::vector<Text16>{u"TIFF (*.tif, *.tiff)", u"*.tif;*.tiff", u"All files", u"*.*"}));
    for (const Text16& l : {with, without, open_filter_list()}) {
        ASSERT_GE(l.size(), 2u);
        EXPECT_EQ(l[l.size() - 1], 0);
        EXPECT_EQ(l[l.size() - 2], 0);
    }
}

TEST(SaveRules, AnExtensionIsADotAfterTheLastSeparator) {
    EXPECT_TRUE(save_name_has_extension(u"C:\\scans\\page.tif"));
    EXPECT_TRUE(save_name_has_extension(u"page.png"));
    EXPECT_FALSE(save_name_has_extension(u"C:\\scans.old\\page"));
    EXPECT_FALSE(save_name_has_extension(u"C:/scans.old/page"));
    EXPECT_FALSE(save_name_has_extension(u"page"));
    EXPECT_FALSE(save_name_has_extension(u""));
    EXPECT_FALSE(save_name_has_extension(nullptr));
}

TEST(SaveRules, ABareNameGetsTheFiltersExtensionAndIsMarkedForTheReplaceQuestion) {
    const SaveTarget tif = save_resolve_target(u"C:\\out.d\\scan", 1);
    EXPECT_EQ(tif.format, SaveFormat::kTiff);
    EXPECT_EQ(Text16(tif.path), u"C:\\out.d\\scan.tif");
    EXPECT_TRUE(tif.extension_added);

    const SaveTarget bmp = save_resolve_target(u"C:\\out\\scan", 2);
    EXPECT_EQ(bmp.format, SaveFormat::kBmp);
    EXPECT_EQ(Text16(bmp.path), u"C:\\out\\scan.bmp");
    EXPECT_TRUE(bmp.extension_added);

    // Typed with an extension: saved as typed, in the filter's format; the
    // dialog has already asked about replacing it.
    const SaveTarget typed = save_resolve_target(u"C:\\out\\scan.png", 2);
    EXPECT_EQ(typed.format, SaveFormat::kBmp);
    EXPECT_EQ(Text16(typed.path), u"C:\\out\\scan.png");
    EXPECT_FALSE(typed.extension_added);
}

TEST(SaveRules, AnExtensionThatDoesNotFitIsLeftOff) {
    const Text16 fits(251, u'a'), full(252, u'a');
    EXPECT_EQ(Text16(save_resolve_target(fits.c_str(), 1).path), fits + u".tif");  // 255 units
    const SaveTarget t = save_resolve_target(full.c_str(), 1);
    EXPECT_EQ(Text16(t.path), full);
    EXPECT_FALSE(t.extension_added);
}

TEST(SaveRules, TheCopyIsAnnotatedOnlyWithMarksAndNothingBeforeTheFileIsOpen) {
    CopyInputs in;
    in.download_state = DownloadState::kFinished;
    in.document_loaded = true;
    in.in_memory = true;
    EXPECT_EQ(document_copy_source(in), CopySource::kMemory);
    in.any_marks = true;
    EXPECT_EQ(document_copy_source(in), CopySource::kAnnotated);
    in.any_marks = false;
    in.in_memory = false;
    in.file_on_disk = true;
    EXPECT_EQ(document_copy_source(in), CopySource::kFile);
    in.file_on_disk = false;
    EXPECT_EQ(document_copy_source(in), CopySource::kNothing);

    CopyInputs receiving = in;
    receiving.in_memory = true;
    receiving.download_state = DownloadState::kReceiving;
    EXPECT_EQ(document_copy_source(receiving), CopySource::kNothing);
    CopyInputs not_a_document = in;
    not_a_document.in_memory = true;
    not_a_document.document_loaded = false;
    EXPECT_EQ(document_copy_source(not_a_document), CopySource::kNothing);
}
