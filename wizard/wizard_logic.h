// Decisions of the wizard that depend on values only: page titles and the way from page
// to page.
#pragma once

#include "app/wide_string.h"

// Templates of the five pages, in the order of the sheet.
const int kModePageId = 110;
const int kRangePageId = 120;
const int kProcessPageId = 130;
const int kConditionsPageId = 140;
const int kActionPageId = 170;
const int kWizardPageCount = 5;
extern const int kWizardPageOrder[kWizardPageCount];

// What a page answers to PSN_WIZNEXT or PSN_WIZBACK to stay where it is.
const int kStayOnPage = -1;

// The page's title; an elevated program (ElevationState 3) adds "(昇格中)". An unknown
// template gives the empty text.
WideString WizardPageTitle(int templateId, int elevation);

// Next from the mode page: 120 for the screen mode (0), 130 for the process mode (1).
int PageAfterMode(int watchMode);
// Back from the action page: 120 in the screen mode, 140 otherwise.
int PageBeforeAction(int watchMode);

// True for the working section "Tollerup" itself (exact comparison).
bool IsWorkingSectionName(const WideString& name);
// "設定名：" and the name, or the empty text for the working section.
WideString SettingNameLabel(const WideString& sectionName);
