#include "devices/tessel.h"

const char* TesselErrorText(win::LONG status) {
    switch (status) {
    case 0:
        return "Everything is OK";
    case 1:
        return "Bad Handle\n\nIf you are running more than 1 3D application, exit all 3D "
               "applications and run only 1 application at a time.\nIf a 3D application you were "
               "running previously had crashed, you may need to reboot your computer.\nIf closing "
               "all 3D applications and rebooting your computer does not solve the "
               "problem,\nplease "
               "read the Troubleshooting section of the online manual or contact technical "
               "support.";
    case 2:
        return "TSbios not detected.\n\nTSbios should be loaded from your autoexec file before "
               "Windows starts.\nSee the Troubleshooting section of the online manual if you have "
               "problems.";
    case 3:
        return "The requested mode is unconfigured.\n\nTo possibly fix this, run \"Go To DOS "
               "Apps\" from the Tessel program group.\nPress 'a' to begin the advanced mode "
               "configuration.\nFollow the directions from there.\n";
    case 4:
        return "This application has attempted to access a function of Tessel that has not been "
               "implemented yet.\nPlease contact technical support.";
    case 5:
        return "This application has passed an invalid value to Tessel.\nPlease contact technical "
               "support.\n";
    case 6:
        return "The requested mode is unavailable.\n\nYour current video configuration does not "
               "support the attempted 3D mode.\nThis application may be attempting a page-flipped "
               "mode.\nPage flipped modes are unavailable in Window.\nExit Windows and try running "
               "a DOS version of this application (if available).\nSee the Troubleshooting section "
               "of the online manual if you have problems.\n";
    case 7:
        return "The application has attempted to access a Tessel function that is not available "
               "in 2D mode.\nPlease contact technical support.";
    case TESSEL_DLL_NOT_FOUND:
        return "A DLL file that is required by windows to run\nin 3D mode cannot be "
               "found.\n\nPlease "
               "reinstall the Tessel system files.\nSee the Troubleshooting section of the online "
               "manual if you have problems.";
    case TESSEL_NOT_INITIALIZED:
        return "Tessel not initialized.\n\nPlease contact technical support.";
    default:
        return "Unknown Tessel error.\n\nPlease contact technical support.";
    }
}
