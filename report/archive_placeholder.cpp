// The archive codec.
