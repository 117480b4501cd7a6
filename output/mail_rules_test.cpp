#include "output/mail_rules.h"

#include <gtest/gtest.h>

TEST(MailRules, AttachmentNameKeepsOnlyPrintableAscii) {
    EXPECT_EQ(mail_attachment_name(u"http://x.test/scans/Report%20A.tif", u""), u"Report A.tif");
    EXPECT_EQ(mail_attachment_name(u"http://x.test/scans/R%C3%A9sum%C3%A9.tif", u""), u"R_sum_.tif");
    EXPECT_EQ(mail_attachment_name(u"http://x.test/view.asp?DocId=ABC&PageNum=7", u""), u"abc-007.tif");
    EXPECT_EQ(mail_attachment_name(u"", u"C:\\local\\fax.tiff"), u"fax.tiff");
    EXPECT_EQ(mail_attachment_name(u"http://x.test/", u""), u"file.tif");
    EXPECT_EQ(mail_attachment_name(u"", u""), u"file.tif");
    // The document's address cannot send the copy to a device.
    EXPECT_EQ(mail_attachment_name(u"http://x.test/CON.tif", u""), u"_CON.tif");
    EXPECT_EQ(mail_attachment_name(u"http://x.test/get?docid=com1", u""), u"_com1.tif");
    EXPECT_EQ(mail_attachment_name(u"http://x.test/nul%20.tif", u""), u"_nul .tif");
    EXPECT_EQ(mail_attachment_name(u"http://x.test/console.tif", u""), u"console.tif");
}

TEST(MailRules, WorkFolderNamesCountOnFromTheClockAndWrapAtAThousand) {
    const Text16 temp = mail_temp_folder(u"C:\\Temp");
    EXPECT_EQ(temp, u"C:\\Temp\\");
    EXPECT_EQ(mail_temp_folder(u"C:\\Temp\\"), u"C:\\Temp\\");
    EXPECT_EQ(mail_work_folder_name(temp, 1700000042, 0), u"C:\\Temp\\vlar042");
    EXPECT_EQ(mail_work_folder_name(temp, 1700000998, 1), u"C:\\Temp\\vlar999");
    EXPECT_EQ(mail_work_folder_name(temp, 1700000998, 2), u"C:\\Temp\\vlar000");
    EXPECT_EQ(mail_work_folder_name(temp, -1, 0), u"C:\\Temp\\vlar999");
    EXPECT_EQ(mail_work_file_path(u"C:\\Temp\\vlar042", u"a.tif"), u"C:\\Temp\\vlar042\\a.tif");
}

TEST(MailRules, SendMethodOneIsTheDocumentsCallEverythingElseTheMailCall) {
    EXPECT_EQ(mail_call_for(0), MailCall::kSendMail);
    EXPECT_EQ(mail_call_for(1), MailCall::kSendDocuments);
    EXPECT_EQ(mail_call_for(2), MailCall::kSendMail);
    EXPECT_EQ(mail_call_for(-5), MailCall::kSendMail);
}

TEST(MailRules, RequestsCarryWhatEachCallNeeds) {
    const MailRequest mail = mail_build_request(MailCall::kSendMail, u"C:\\T\\vlar1\\a.tif", u"a.tif");
    EXPECT_EQ(mail.subject, u"a.tif");
    EXPECT_EQ(mail.path, u"C:\\T\\vlar1\\a.tif");
    EXPECT_EQ(mail.file_name, u"a.tif");
    EXPECT_EQ(mail.flags, kMapiLogonUi | kMapiDialog);
    EXPECT_EQ(mail.position, 0xFFFFFFFFu);

    const MailRequest docs = mail_build_request(MailCall::kSendDocuments, u"C:\\T\\vlar1\\a.tif", u"a.tif");
    EXPECT_EQ(docs.delimiter, u"|");
    EXPECT_EQ(docs.path, u"C:\\T\\vlar1\\a.tif");
    EXPECT_EQ(docs.file_name, u"a.tif");
    EXPECT_TRUE(docs.subject.empty());
}

TEST(MailRules, ResultsTheMailProgramShowedItselfStaySilent) {
    for (uint32_t quiet : {0u, 1u, 3u}) EXPECT_TRUE(mail_result_message(MailCall::kSendMail, quiet).empty());
    EXPECT_EQ(mail_result_message(MailCall::kSendMail, 11),
              u"Error attempting to send message.\n(Details: MAPISendMail failed with error code 11: Attachment not "
              u"found.)");
    EXPECT_EQ(mail_result_message(MailCall::kSendDocuments, 26),
              u"Error attempting to send message.\n(Details: MAPISendDocuments failed with error code 26: "
              u"Unrecognized error code.)");
    EXPECT_NE(mail_result_message(MailCall::kSendMail, 18).find(u"Text too large"), Text16::npos);
}
