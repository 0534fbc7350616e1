// Whether the Tessel Classic pack is installed: its installer leaves
// Finished_Install=YES in the INSTALL section of "z_tessel.ini".
#pragma once

bool TesselClassicInstalled();
