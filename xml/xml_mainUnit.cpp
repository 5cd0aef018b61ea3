#include "xml_mainUnit.h"
