[vertex]
void main()
{
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_MultiTexCoord0;
}
[fragment]
uniform sampler2D image;
uniform float time;
uniform float amount;
void main()
{
  vec2 uv = gl_TexCoord[0].st;
  vec2 centre = uv - vec2(0.5, 0.5);
  float wave = sin(length(centre) * 40.0 - time * 4.0) * amount;
  vec4 colour = texture2D(image, uv + centre * wave);
  float scanline = 0.85 + 0.15 * sin(uv.y * 800.0);
  gl_FragColor = vec4(colour.rgb * scanline, 1.0);
}
