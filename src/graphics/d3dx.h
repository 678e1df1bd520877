// Our own versions of the 14 helper functions that the device layer of the games relied on:
// left-handed, row-vector matrices and the texture helpers (size requirements, creation, upload).
//
// The helper library carried by the game data is never loaded: WriteHelperLibrary only puts its
// bytes in the temporary directory under its name, as the games expect the file to exist there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/device.h"

namespace qv::graphics {

using platform::Matrix;

struct Vector3 {
  double x = 0, y = 0, z = 0;
};

Matrix D3DXMatrixScaling(double sx, double sy, double sz);
Matrix D3DXMatrixTranslation(double x, double y, double z);
Matrix D3DXMatrixRotationX(double angle);  // radians
Matrix D3DXMatrixRotationY(double angle);
Matrix D3DXMatrixRotationZ(double angle);
Matrix D3DXMatrixRotationAxis(const Vector3& axis, double angle);
Matrix D3DXMatrixMultiply(const Matrix& a, const Matrix& b);  // a then b
Matrix D3DXMatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);
Matrix D3DXMatrixPerspectiveFovLH(double fovY, double aspect, double zn, double zf);
Matrix D3DXMatrixPerspectiveLH(double w, double h, double zn, double zf);
Matrix D3DXMatrixOrthoLH(double w, double h, double zn, double zf);

// Adjusts a texture size to what the device accepts: each side rounded up to a power of two
// (not forced square). False when a side is below 1 or above the device's maximum.
bool D3DXCheckTextureRequirements(const platform::Device& device, int& width, int& height);
// A zero-filled texture of exactly that size; 0 on failure.
platform::TextureHandle D3DXCreateTexture(platform::Device& device, int width, int height, bool renderTarget);
// Copies w x h pixels (pitch in pixels) into the rectangle (0, 0, w, h) of the texture, unfiltered.
bool D3DXLoadSurfaceFromMemory(platform::Device& device, platform::TextureHandle t, const uint32_t* pixels, int w,
                               int h, int pitch);

// The file name the helper library is written under.
inline constexpr const char* kHelperLibraryName = "D3DX8.dll";
// Writes the bytes to tempDir + "/" + name; true when written.
bool WriteHelperLibrary(const std::string& tempDir, const std::string& name, const std::vector<uint8_t>& bytes);

}  // namespace qv::graphics
