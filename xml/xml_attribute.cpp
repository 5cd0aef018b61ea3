#include "xml_attribute.h"
