// Placeholder until the first class of this library lands.
