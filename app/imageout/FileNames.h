#pragma once

#include "FileNameText.h"
