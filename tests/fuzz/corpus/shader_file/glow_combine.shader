[vertex]
void main()
{
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_MultiTexCoord0;
}
[fragment]
uniform sampler2D scene;
uniform sampler2D glow;
uniform float strength;
void main()
{
  vec2 uv = gl_TexCoord[0].st;
  vec3 color = texture2D(scene, uv).rgb + texture2D(glow, uv).rgb * strength;
  gl_FragColor = vec4(color, 1.0);
}
