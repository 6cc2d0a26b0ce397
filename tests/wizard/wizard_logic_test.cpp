#include <gtest/gtest.h>

#include "app/string_list.h"
#include "app/system_info.h"
#include "wizard/mode_page.h"
#include "wizard/wizard_logic.h"

TEST(WizardTitles, EveryPageHasItsTitleAndTheElevatedSuffixOnlyWhenElevated) {
    const struct {
        int id;
        const wchar_t* title;
    } pages[] = {{110, L"Tollerup モード指定"},
                 {120, L"Tollerup 画面範囲の指定"},
                 {130, L"Tollerup プロセスの指定"},
                 {140, L"Tollerup プロセスの条件の指定"},
                 {170, L"Tollerup 動作の指定"}};
    for (const auto& page : pages) {
        EXPECT_EQ(WizardPageTitle(page.id, kElevationNotSplit), WideString(page.title));
        EXPECT_EQ(WizardPageTitle(page.id, kElevationLimited), WideString(page.title));
        EXPECT_EQ(WizardPageTitle(page.id, kElevationFull), WideString(page.title) + L"(昇格中)");
    }
    EXPECT_TRUE(WizardPageTitle(150, kElevationFull).IsEmpty());
}

TEST(WizardPageOrder, ModeChoosesTheRoadAndTheActionPageGoesBackAlongIt) {
    EXPECT_EQ(PageAfterMode(0), kRangePageId);
    EXPECT_EQ(PageAfterMode(1), kProcessPageId);
    EXPECT_EQ(PageBeforeAction(0), kRangePageId);
    EXPECT_EQ(PageBeforeAction(1), kConditionsPageId);
    // A section written by hand with another mode came through the process road's pages.
    EXPECT_EQ(PageBeforeAction(2), kConditionsPageId);
}

TEST(WizardModePage, SavedSettingsKeepFileOrderAndLeaveOutOnlyTheWorkingSectionItself) {
    StringList sections(false);
    for (const wchar_t* name : {L"zeta", L"Tollerup", L"alpha", L"tollerup", L"夜 の 録画"}) sections.Add(name);
    StringList entries(false);
    SavedSettingEntries(sections, entries);
    ASSERT_EQ(entries.Count(), 5);
    EXPECT_EQ(entries[0], WideString(L"前回と同じ"));
    EXPECT_EQ(entries[1], WideString(L"zeta"));
    EXPECT_EQ(entries[2], WideString(L"alpha"));
    EXPECT_EQ(entries[3], WideString(L"tollerup"));
    EXPECT_EQ(entries[4], WideString(L"夜 の 録画"));
}

TEST(WizardModePage, NextWorksOnTheSavedSettingOnlyInTheScreenMode) {
    EXPECT_EQ(SectionForMode(0, 0, L"前回と同じ"), WideString(L"Tollerup"));
    EXPECT_EQ(SectionForMode(0, 2, L"夜 の 録画"), WideString(L"夜 の 録画"));
    EXPECT_EQ(SectionForMode(1, 2, L"夜 の 録画"), WideString(L"Tollerup"));
    EXPECT_EQ(SectionForMode(0, -1, L""), WideString(L"Tollerup"));
}

TEST(WizardModePage, LinksNameNoOtherProgramAndOpenTheProgramsFolder) {
    ModePageLinks links = MakeModePageLinks(L"\"C:\\Tools\\Tollerup\\TLR64.exe\"");
    EXPECT_EQ(links.homePageTarget, WideString(L"C:\\Tools\\Tollerup"));
    EXPECT_TRUE(links.mailTarget.StartsWithNoCase(L"mailto:"));
    EXPECT_EQ(links.mailTarget.Find(L"@"), -1);  // no address of anybody's
    EXPECT_EQ(MakeModePageLinks(L"C:\\TLR64.exe").homePageTarget, WideString(L"C:\\"));
}

TEST(WizardSettingName, TheWorkingSectionShowsNoName) {
    EXPECT_TRUE(SettingNameLabel(L"Tollerup").IsEmpty());
    EXPECT_EQ(SettingNameLabel(L"夜 の 録画"), WideString(L"設定名：夜 の 録画"));
    EXPECT_EQ(SettingNameLabel(L"tollerup"), WideString(L"設定名：tollerup"));
}
