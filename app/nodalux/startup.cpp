namespace nodalux { void NODALUX() {} }  // (to be written)
