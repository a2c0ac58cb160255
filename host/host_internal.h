// State shared between the stand-in's own files.
#pragma once

namespace host {
extern int currentFrame;
}
