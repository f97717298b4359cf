// The worm signature, carried in the tool's own executable.
#ifndef VEXORIN_SIGNATURE_H
#define VEXORIN_SIGNATURE_H

// Finds the "BIN" #103 resource, decodes it once into private memory and
// publishes it, with its fallback table, as SignaturePattern. Returns 1 when the
// pattern is ready; 0 when it is not, after printing why where there is
// something to say.
int LoadSignature();

#endif
