// An embedded file arriving: every packet is appended to a temporary file of
// the instance's, and once enough is there the picture is read from that file
// step by step (a presentation's blocks as they become whole), so the page
// can show the rows decoded so far. The file is never held in memory.
#pragma once

#include "plugin/plugin.h"

NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                      uint16_t* streamType);
int32_t NPP_WriteReady(NPP instance, NPStream* stream);
int32_t NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t length, void* buffer);
NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason);

// Appends to the file; the bytes written (0 when it cannot be opened).
int32_t RealWrite(const void* data, int32_t length, const char* path);

// Prepares a progress record for reading a file of the type (a presentation
// gets the container reader's state); throws pxError for other types.
void InitImageInfo(_ImageInfo* info, MimeTypeCode code);
void FreeImageInfo(_ImageInfo* info, MimeTypeCode code);

// One read step of the instance's file: 1 once the picture is whole, 0 while
// more is needed (and after a failure, which is shown and refuses the rest
// of the stream).
int ReadImageAndShowInClientWindow(PluginInstance& This, const char* path, pxImage* image,
                                   pxPalette* palette, _ImageInfo* info);
