#include <windows.h>

#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>
#include <vector>

#include "document/page_marks.h"
#include "host/viewer_sketch.h"
#include "host/win/sketch_commands.h"
#include "config/message_box.h"
#include "decode/raster.h"
#include "document/test_support.h"
#include "host/stream_reception.h"
#include "host/viewer.h"
#include "host/viewer_registry.h"
#include "host/viewer_file.h"
#include "host/win/viewer_output.h"
#include "output/win/document_writer.h"
#include "output/win/output_commands.h"
#include "output/win/file_dialogs.h"
#include "output/win/proc_address.h"
#include "output/win/test_mail_stub.h"
#include "testing/tiff_builder.h"
#include "view/view_ops.h"

namespace {
const wchar_t* wide(const Text16& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// Every box the code shows, answered with `answer`.
struct Boxes {
    std::vector<Text16> texts, captions;
    std::vector<unsigned> types;
    int answer = kIdOk;
    static int handler(const MessageBoxRequest& r, void* context) {
        auto* self = static_cast<Boxes*>(context);
        self->texts.push_back(r.text);
        self->captions.push_back(r.caption);
        self->types.push_back(r.type);
        return self->answer;
    }
};

// The file-name question, answered from the test instead of a dialog.
struct Answer {
    bool ok = true;
    Text16 name;
    int filter = 1;
    int asked = 0;
    FileQuestion seen;
};
Answer* g_answer = nullptr;
bool answer_question(FileQuestion* q) {
    Answer& a = *g_answer;
    ++a.asked;
    a.seen = *q;
    if (!a.ok) return false;
    text_copy(q->name, kFileDialogNameCap, a.name.c_str());
    q->filter_index = a.filter;
    return true;
}

std::vector<uint8_t> grey_page_file(int pages = 1) {
    std::vector<TiffPage> list;
    for (int i = 0; i < pages; ++i) {
        TiffPage p;
        p.width = 6;
        p.height = 4;
        p.pixels.assign(24, uint8_t(0x40 + 0x20 * i));
        p.pixels[0] = 0x10;  // the top left pixel stands out
        list.push_back(p);
    }
    return tiff_build(list);
}

std::vector<uint8_t> fax_page_file() {
    TiffPage p;
    p.width = 16;
    p.height = 2;
    p.bits_per_sample = 1;
    p.photometric = 0;
    p.compression = 4;
    p.pixels = {0x80, 0x00, 0x00, 0x00};
    return tiff_build({p});
}

struct OutputWin : ::testing::Test {
    Viewer v;
    Boxes boxes;
    Answer answer;
    ScratchFile folder_probe{{}};
    std::vector<Text16> made;
    int token = 0;
    MessageBoxHandler old_handler = nullptr;
    void* old_context = nullptr;

    void SetUp() override {
        errlog_init(&v.logs.error, true);
        errlog_init(&v.logs.page, false);
        btext_init(&v.shell.work_folder, 360);
        btext_init(&v.shell.work_file, 360);
        old_handler = msgbox_set_handler(Boxes::handler, &boxes, &old_context);
        g_answer = &answer;
        file_question_set(answer_question);
    }
    void TearDown() override {
        file_question_set(nullptr);
        msgbox_set_handler(old_handler, old_context);
        if (!btext_empty(&v.shell.work_file))
            DeleteFileW(reinterpret_cast<const wchar_t*>(btext_get(&v.shell.work_file)));
        if (!btext_empty(&v.shell.work_folder))
            RemoveDirectoryW(reinterpret_cast<const wchar_t*>(btext_get(&v.shell.work_folder)));
        sketch_release(&v);
        reception_release(&v);
        viewer_file_free(&v);
        errlog_free(&v.logs.error);
        errlog_free(&v.logs.page);
        for (const Text16& p : made) DeleteFileW(wide(p));
    }
    // Streams the file in as the browser would; announced, it stays in memory,
    // unannounced it goes to a temporary file.
    void receive(const std::vector<uint8_t>& file, bool announced = true,
                 const char* url = "http://x.test/a/scan.tif") {
        const StreamInfo info{&token, url, announced ? uint32_t(file.size()) : 0u};
        v.stream.state = DownloadState::kIdle;  // as a script's new download leaves it
        btext_clear(&v.stream.url);
        ASSERT_EQ(reception_new(&v, info), 0);
        ASSERT_EQ(reception_write(&v, info, 0, int32_t(file.size()), file.data()), int32_t(file.size()));
        ASSERT_EQ(reception_end(&v, info, 0), 0);
        ASSERT_TRUE(viewer_page_shown(&v));
    }
    // A fresh name without a dot in the scratch file's folder.
    Text16 target(const char16_t* suffix) {
        const Text16 folder = folder_probe.path.substr(0, folder_probe.path.find_last_of(u"\\/") + 1);
        Text16 p = folder + u"vloutput" + suffix;
        made.push_back(p);
        return p;
    }
};

struct ReadBack {
    std::vector<uint8_t> bytes;
    TIFF* tif = nullptr;
    explicit ReadBack(const Text16& path) : bytes(read_whole_file(path.c_str())) {
        if (!bytes.empty()) tif = tiff_open_memory(bytes);
    }
    ~ReadBack() {
        if (tif) TIFFClose(tif);
    }
    uint16_t photometric() {
        uint16_t p = 0xFFFF;
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p);
        return p;
    }
    std::vector<uint8_t> row(uint32_t y) {
        std::vector<uint8_t> line(size_t(TIFFScanlineSize(tif)));
        EXPECT_EQ(TIFFReadScanline(tif, line.data(), y, 0), 1);
        return line;
    }
};
}  // namespace

TEST_F(OutputWin, WithoutMarksTheSavedFileIsTheReceivedFileByteForByte) {
    for (bool announced : {true, false}) {
        const std::vector<uint8_t> file = grey_page_file(3);
        receive(file, announced);
        answer.name = target(announced ? u"-mem" : u"-disk");
        output_save_as(&v);
        EXPECT_EQ(answer.asked, announced ? 1 : 2);
        EXPECT_EQ(read_whole_file((answer.name + u".tif").c_str()), file) << announced;
        made.push_back(answer.name + u".tif");
    }
    // The dialog was set up as the user expects it.
    EXPECT_EQ(Text16(answer.seen.title), u"Save Image");
    EXPECT_TRUE(answer.seen.save);
    EXPECT_EQ(answer.seen.filter_index, 1);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(OutputWin, AWhiteOutOnPageTwoReencodesAllThreePages) {
    receive(grey_page_file(3));
    const int directory = document_directory_of_page(&v.document.file->document, 1);
    ASSERT_TRUE(sketch_store_whiteout(&v, directory, PageRect{1, 1, 2, 2}));
    const Text16 path = target(u".tif");
    ASSERT_TRUE(document_write_copy(viewer_output_source(&v), path.c_str()));
    ReadBack r(path);
    ASSERT_NE(r.tif, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(r.tif), 3);
    EXPECT_EQ(r.photometric(), PHOTOMETRIC_MINISBLACK);
    // LZW rows are read in order: the decoder cannot skip ahead.
    EXPECT_EQ(r.row(0)[0], 0x10);
    EXPECT_EQ(r.row(1), (std::vector<uint8_t>{0x40, 0x40, 0x40, 0x40, 0x40, 0x40}));
    ASSERT_TRUE(TIFFReadDirectory(r.tif));
    EXPECT_EQ(r.row(0)[0], 0x10);
    EXPECT_EQ(r.row(1), (std::vector<uint8_t>{0x60, 0xFF, 0xFF, 0x60, 0x60, 0x60}));
    EXPECT_EQ(r.row(2)[1], 0xFF);
    EXPECT_EQ(r.row(3)[1], 0x60);
}

TEST_F(OutputWin, PenColourDecidesBetweenGreyAndRgbAndKeepsAFaxPageOneBit) {
    struct Case {
        bool fax;
        uint32_t colour;
        uint16_t photometric;
    } cases[] = {{false, 0x0000FF, PHOTOMETRIC_RGB},
                 {false, 0x000000, PHOTOMETRIC_MINISBLACK},
                 {true, 0x000000, PHOTOMETRIC_MINISWHITE},
                 {true, 0x00FF00, PHOTOMETRIC_RGB}};
    for (const Case& c : cases) {
        receive(c.fax ? fax_page_file() : grey_page_file());
        PageMarks* marks = sketch_marks_of(&v, v.document.current_directory);
        ASSERT_NE(marks, nullptr);
        ASSERT_TRUE(marks_add_pen(marks, PenSegment{1.5, 1.5, 3.5, 1.5, c.colour}));
        const Text16 path = target(c.fax ? u"-fax.tif" : u"-grey.tif");
        ASSERT_TRUE(document_write_copy(viewer_output_source(&v), path.c_str()));
        ReadBack r(path);
        ASSERT_NE(r.tif, nullptr);
        EXPECT_EQ(r.photometric(), c.photometric) << c.fax << " " << c.colour;
    }
}

TEST_F(OutputWin, TheWriterStartsAtTheHandlesPositionAndEndsAtTheEnd) {
    receive(grey_page_file(2));
    ASSERT_TRUE(sketch_store_whiteout(&v, v.document.current_directory, PageRect{0, 0, 0, 0}));
    const Text16 path = target(u".bin");
    HANDLE f = CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(f, "PREFIX", 6, &done, nullptr));
    EXPECT_TRUE(viewer_write_tiff(&v, f));
    LARGE_INTEGER zero{}, at{};
    SetFilePointerEx(f, zero, &at, FILE_CURRENT);
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    EXPECT_EQ(at.QuadPart, size.QuadPart);
    CloseHandle(f);
    const std::vector<uint8_t> bytes = read_whole_file(path.c_str());
    ASSERT_GT(bytes.size(), 6u);
    const std::vector<uint8_t> tiff(bytes.begin() + 6, bytes.end());
    TIFF* t = tiff_open_memory(tiff);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(t), 2);
    TIFFClose(t);
}

TEST_F(OutputWin, BmpSaveGivesThePageAsShownAndAsksBeforeReplacingACompletedName) {
    receive(grey_page_file());
    ASSERT_TRUE(view_set_orientation(viewer_view_context(&v), 1).ok);
    view_toggle_negative(viewer_view_context(&v));
    answer.name = target(u"-page");
    answer.filter = 2;
    const Text16 bmp = answer.name + u".bmp";
    made.push_back(bmp);
    output_save_as(&v);
    std::vector<uint8_t> file = read_whole_file(bmp.c_str());
    const DisplayRaster* raster = &v.document.file->raster;
    ASSERT_EQ(file.size(), size_t(raster->block_size) + 14);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 14, file.end()),
              std::vector<uint8_t>(raster->header, raster->header + raster->block_size));
    // The raster is held as shown: turned a quarter, 4 wide and 6 high.
    EXPECT_EQ(raster_width(raster), 4);
    EXPECT_EQ(raster_height(raster), 6);
    EXPECT_TRUE(boxes.texts.empty());

    // Again under the same bare name: asked, and No leaves the file alone.
    ScratchFile marker({'x'});
    ASSERT_TRUE(CopyFileW(wide(marker.path), wide(bmp), FALSE));
    boxes.answer = kIdNo;
    output_save_as(&v);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], bmp + u" already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(boxes.captions[0], u"Save Image");
    EXPECT_EQ(boxes.types[0], kMbYesNo | kMbIconWarning | kMbDefButton2);
    EXPECT_EQ(read_whole_file(bmp.c_str()), std::vector<uint8_t>{'x'});
    boxes.answer = kIdYes;
    output_save_as(&v);
    EXPECT_EQ(read_whole_file(bmp.c_str()).size(), size_t(raster->block_size) + 14);
}

TEST_F(OutputWin, SaveRefusalsAndTheNothingReceivedMessage) {
    output_save_as(&v);  // nothing received
    EXPECT_EQ(answer.asked, 0);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], u"File was not successfully downloaded \u2013 Can\u2019t save");

    receive(grey_page_file());
    v.access_flags = kAccessNoSaveCopy;
    output_save_as(&v);
    EXPECT_EQ(answer.asked, 0);
    v.access_flags = 0;
    answer.ok = false;  // Cancel
    output_save_as(&v);
    EXPECT_EQ(answer.asked, 1);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(v.busy, 0);
}

TEST_F(OutputWin, AFailedWriteNamesThePathAndTheSystemError) {
    receive(grey_page_file());
    answer.name = u"Z:\\no\\such\\folder\\x";
    output_save_as(&v);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind(u"Failed to write file (Z:\\no\\such\\folder\\x.tif; error code 3)", 0), 0u)
        << text_to_utf8(boxes.texts[0]);
}

TEST_F(OutputWin, OpenLocalFileShowsTheChosenFileInPlaceOfTheOldOne) {
    receive(grey_page_file(1));
    ScratchFile local(grey_page_file(3));
    answer.name = local.path;
    output_open_local_file(&v);
    EXPECT_EQ(answer.asked, 1);
    EXPECT_EQ(Text16(answer.seen.title), u"Open TIFF File");
    EXPECT_FALSE(answer.seen.save);
    EXPECT_EQ(v.stream.source, SourceKind::kFile);
    EXPECT_EQ(btext_view(&v.stream.file_path), local.path);
    EXPECT_EQ(v.stream.state, DownloadState::kFinished);
    EXPECT_EQ(v.document.page_count, 3);
    EXPECT_TRUE(viewer_page_shown(&v));
    EXPECT_EQ(v.stream.memory_buffer, nullptr);

    // Cancel keeps it; the access bit and a running download refuse at once.
    answer.ok = false;
    output_open_local_file(&v);
    EXPECT_EQ(v.document.page_count, 3);
    v.access_flags = kAccessNoOpenLocal;
    output_open_local_file(&v);
    v.access_flags = 0;
    v.stream.state = DownloadState::kReceiving;
    output_open_local_file(&v);
    EXPECT_EQ(answer.asked, 2);
    v.stream.state = DownloadState::kFinished;
}

TEST_F(OutputWin, WallpaperIsWrittenAsBmpAndNamedInTheDesktopKey) {
    receive(grey_page_file());
    wchar_t old_wallpaper[MAX_PATH] = {};
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, old_wallpaper, 0);
    output_set_wallpaper(&v, 1);
    EXPECT_TRUE(boxes.texts.empty());
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value, &size),
        ERROR_SUCCESS);
    const Text16 path = reinterpret_cast<const char16_t*>(value);
    EXPECT_NE(path.find(u"\\ZEB\\Vellarion\\Vellarion Wallpaper.bmp"), Text16::npos) << text_to_utf8(path);
    const std::vector<uint8_t> bmp = read_whole_file(path.c_str());
    ASSERT_EQ(bmp.size(), size_t(v.document.file->raster.block_size) + 14);
    EXPECT_EQ(bmp[0], 'B');
    for (auto [name, expected] : {std::pair{L"TileWallpaper", L"1"}, std::pair{L"WallpaperStyle", L"0"}}) {
        size = sizeof value;
        ASSERT_EQ(
            RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\desktop", name, RRF_RT_REG_SZ, nullptr, value, &size),
            ERROR_SUCCESS);
        EXPECT_STREQ(value, expected);
    }
    wchar_t now[MAX_PATH] = {};
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
    EXPECT_EQ(Text16(reinterpret_cast<const char16_t*>(now)), path);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, old_wallpaper, SPIF_UPDATEINIFILE);

    output_set_wallpaper(&v, 2);
    size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\desktop", L"WallpaperStyle", RRF_RT_REG_SZ, nullptr, value, &size);
    EXPECT_STREQ(value, L"2");
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, old_wallpaper, SPIF_UPDATEINIFILE);
    DeleteFileW(wide(path));
}

TEST_F(OutputWin, WallpaperWithoutAPageOnlySaysSo) {
    output_set_wallpaper(&v, 0);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], u"Image not successfully loaded. Can\u2019t set as desktop background.");
}

namespace {
// The work folders in the temporary folder that hold a file of this name.
std::vector<Text16> folders_holding(const Text16& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const Text16 base = reinterpret_cast<const char16_t*>(temp);
    std::vector<Text16> found;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(wide(base + u"vlar*"), &data);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        const Text16 folder = base + reinterpret_cast<const char16_t*>(data.cFileName);
        if (GetFileAttributesW(wide(folder + u"\\" + name)) != INVALID_FILE_ATTRIBUTES) found.push_back(folder);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return found;
}

// The stand-in mail library, kept loaded so its record survives Send's unload.
struct MailStub {
    HMODULE module = LoadLibraryW(L"vltestmail.dll");
    MailStubState* state = nullptr;
    MailStub() {
        if (module) state = proc_address<MailStubStateFn>(module, "mail_stub_state")();
        output_set_mail_library(L"vltestmail.dll");
    }
    ~MailStub() {
        output_set_mail_library(nullptr);
        if (module) FreeLibrary(module);
    }
};
}  // namespace

TEST_F(OutputWin, SendAttachesTheCopyUnderItsAsciiNameAndKeepsItForTheMailProgram) {
    MailStub stub;
    ASSERT_NE(stub.state, nullptr);
    const std::vector<uint8_t> file = grey_page_file();
    receive(file, true, "http://x.test/docs/R%C3%A9sum%C3%A9.tif");
    output_send(&v);
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_EQ(stub.state->calls, 1);
    EXPECT_STREQ(stub.state->function, "MAPISendMail");
    EXPECT_STREQ(stub.state->subject, "R_sum_.tif");
    EXPECT_STREQ(stub.state->name, "R_sum_.tif");
    EXPECT_EQ(stub.state->flags, 0x1u | 0x8u);  // log-on dialog, send dialog
    EXPECT_EQ(stub.state->position, 0xFFFFFFFFu);
    EXPECT_EQ(stub.state->file_count, 1u);
    EXPECT_EQ(stub.state->recipient_count, 0u);
    EXPECT_FALSE(stub.state->note_text);
    EXPECT_TRUE(stub.state->file_existed);
    const Text16 first_folder(btext_view(&v.shell.work_folder));
    EXPECT_NE(first_folder.find(u"vlar"), Text16::npos);
    EXPECT_EQ(btext_view(&v.shell.work_file), first_folder + u"\\R_sum_.tif");
    EXPECT_EQ(read_whole_file(btext_get(&v.shell.work_file)), file);

    // The second send replaces the first folder; the documents call and a
    // failure the mail program did not show.
    v.settings.sendmethod = 1;
    stub.state->result = 11;
    output_send(&v);
    EXPECT_STREQ(stub.state->function, "MAPISendDocuments");
    EXPECT_STREQ(stub.state->delimiter, "|");
    // Within one second the new folder may take the old one's name: what
    // counts is that only one folder holds the attachment.
    EXPECT_EQ(folders_holding(u"R_sum_.tif"), std::vector<Text16>{Text16(btext_view(&v.shell.work_folder))});
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0],
              u"Error attempting to send message.\n(Details: MAPISendDocuments failed with error code "
              u"11: Attachment not found.)");
}

TEST_F(OutputWin, AViewerDestroyedDuringTheMailSessionIsLeftAlone) {
    MailStub stub;
    ASSERT_NE(stub.state, nullptr);
    receive(grey_page_file());
    // Dropped from the live viewers as NPP_Destroy's free does; the record stays for the checks.
    stub.state->during = [](void* viewer) { viewer_registry_remove(static_cast<Viewer*>(viewer)); };
    stub.state->during_context = &v;
    output_send(&v);
    stub.state->during = nullptr;
    EXPECT_EQ(stub.state->calls, 1);
    EXPECT_EQ(v.busy, 1);  // not touched: it might have been freed
}

TEST_F(OutputWin, SendWithoutAMailLibraryOrItsEntryPointsSaysWhy) {
    receive(grey_page_file());
    output_set_mail_library(L"no-such-mail-library.dll");
    output_send(&v);
    // A library without the entry point.
    output_set_mail_library(L"version.dll");
    output_send(&v);
    output_set_mail_library(nullptr);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[0],
              u"Unable to send image (could not load MAPI32.DLL).\r\nYou may need to install, "
              u"configure, or open an email program on your computer.");
    EXPECT_EQ(boxes.texts[1], u"Unable to send image (GetProcAddress failed)");
    v.access_flags = kAccessNoEmail;
    output_send(&v);
    EXPECT_EQ(boxes.texts.size(), 2u);
}

namespace {
// Answers the real common dialog: types the name into its file-name box (a
// combo box, cmb13, in Wine's dialog as in Windows') and presses OK.
struct DialogAnswer {
    Text16 name;
    Text16 title;
    int ticks = 0;
};
DialogAnswer* g_dialog = nullptr;

BOOL CALLBACK find_file_dialog(HWND hwnd, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
}

void CALLBACK answer_file_dialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_file_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    g_dialog->title = reinterpret_cast<const char16_t*>(title);
    // A dialog without the box we know would wait for ever: give up instead.
    HWND box = GetDlgItem(dialog, 0x47C);
    if (box) SetWindowTextW(box, wide(g_dialog->name));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(box && g_dialog->ticks++ < 50 ? IDOK : IDCANCEL, BN_CLICKED), 0);
}
}  // namespace

TEST_F(OutputWin, TheRealSaveDialogReturnsTheTypedNameAndTheFirstFilter) {
    receive(grey_page_file());
    file_question_set(nullptr);
    DialogAnswer typed;
    typed.name = target(u"-typed");
    g_dialog = &typed;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, answer_file_dialog);
    output_save_as(&v);
    KillTimer(nullptr, timer);
    g_dialog = nullptr;
    EXPECT_EQ(typed.title, u"Save Image");
    const Text16 saved = typed.name + u".tif";
    made.push_back(saved);
    ASSERT_NE(v.stream.memory_buffer, nullptr);
    EXPECT_EQ(read_whole_file(saved.c_str()),
              std::vector<uint8_t>(v.stream.memory_buffer, v.stream.memory_buffer + v.stream.data_size));
}
