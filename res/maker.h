/* The maker's name and copyright, shared by the banner and the version block. */
#ifndef VEXORIN_MAKER_H
#define VEXORIN_MAKER_H

#define VEXORIN_MAKER "Kestrelwyn Software"
#define VEXORIN_COPYRIGHT "Copyright (C) 2003 Kestrelwyn Software"

#endif
