// The maker's web pages the viewer's and the plug-in's messages send the
// user to; set at build time (BINOXA_WEB_ADDRESS).
#pragma once

const char* BinoxaWebAddress();
// Where to get a pair of shutter glasses.
const char* GlassesWebAddress();
// Getting acquainted with the plug-in.
const char* TutorialWebAddress();
