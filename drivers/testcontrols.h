// The test controls every simulated driver exports besides its driver
// functions (found with GetProcAddress on the loaded driver):
//
//   void SimReset()                  forget every call and injected status,
//                                    put the device back in its first state and
//                                    read the configuration file again
//   void SimFailNext(const char* function, long status)
//                                    the next call of that function answers
//                                    the status instead of doing its work
//   const char* SimCalls()           the calls received since the reset, one
//                                    "name(arguments)" line each
#pragma once

using SimResetFunction = void (*)();
using SimFailNextFunction = void (*)(const char* function, long status);
using SimCallsFunction = const char* (*)();
