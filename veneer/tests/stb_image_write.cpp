// The implementation of the PNG encoder the tests make their images with.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "veneer/tests/stb_image_write.h"
