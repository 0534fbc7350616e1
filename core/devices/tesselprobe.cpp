#include "devices/tesselprobe.h"

#include "imaging/pxerror.h"
#include "platform/sys/profile.h"

#include <strings.h>

bool TesselClassicInstalled() {
    char finished[32] = {};
    if (win::GetPrivateProfileString("INSTALL", "Finished_Install", "No", finished, sizeof finished,
                                     "z_tessel.ini") == 0) {
        pxLog("ERROR: checking for tessel installation!");
    }
    return strcasecmp(finished, "YES") == 0;
}
