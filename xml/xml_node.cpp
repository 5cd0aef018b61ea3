#include "xml_node.h"
