// The maker's web pages the viewer's and the plug-in's messages send the
// user to; set at build time (BINOXA_WEB_ADDRESS).
#pragma once

#include <string>

const char* BinoxaWebAddress();
// Where to get a pair of shutter glasses.
const char* GlassesWebAddress();
// Getting acquainted with the plug-in.
const char* TutorialWebAddress();

// What a presentation without a block the program can show tells the user:
// to fetch the latest version, from the maker's page.
std::string NoSupportedBlocksMessage();
