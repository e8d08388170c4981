[fragment]
void main() {
[vertex]
void main() { gl_Position = ftransform(); }
[fragment]
  gl_FragColor = vec4(1.0); }