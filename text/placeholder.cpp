// placeholder until the layer's sources land
