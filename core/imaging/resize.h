// Scaling by pixel replication and dropping (no filtering), with integer
// stepping in units of 1/1000. The scaled picture's top-left corner goes to
// `position` in the destination; it must lie wholly inside the destination.
//
// A factor of 2 writes every source pixel and row twice; 0.5 keeps pixels and
// rows 0, 2, 4 ... The first pixel and row are always kept, so an odd size at
// 0.5 gives one pixel more than the truncated scaled size; such a last pixel
// or row is dropped where it would leave the destination.
#pragma once

#include "imaging/geometry.h"
#include "imaging/pximage.h"

// 1- or 3-byte pictures of the same depth.
void ResizeDDA(pxImage& destination, const pxImage& source, double xZoom, double yZoom,
               px2Pnt position);
// 1-byte pictures, one factor for both directions.
void ResizeDDA_1(pxImage& destination, const pxImage& source, double zoom, px2Pnt position);
// 3-byte pictures.
void ResizeDDA_3(pxImage& destination, const pxImage& source, double xZoom, double yZoom,
                 px2Pnt position);
