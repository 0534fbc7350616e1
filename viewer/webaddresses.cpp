#include "viewer/webaddresses.h"

#include <string>

#ifndef BINOXA_WEB_ADDRESS
#define BINOXA_WEB_ADDRESS "https://binoxa.example/"
#endif

const char* BinoxaWebAddress() {
    return BINOXA_WEB_ADDRESS;
}

const char* GlassesWebAddress() {
    static const std::string address = std::string(BINOXA_WEB_ADDRESS) + "glasses";
    return address.c_str();
}

const char* TutorialWebAddress() {
    static const std::string address = std::string(BINOXA_WEB_ADDRESS) + "tutorial";
    return address.c_str();
}

std::string NoSupportedBlocksMessage() {
    return std::string("This PXR file does not contain any supported block types.  The file may "
                       "be corrupt, but more likely you need to obtain an updated version of "
                       "Binoxa.  The latest version is at ") +
           BINOXA_WEB_ADDRESS;
}
