[vertex]
void main()
{
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_MultiTexCoord0;
}
[fragment]
uniform sampler2D image;
uniform float stepX;
uniform float stepY;
void main()
{
  vec2 uv = gl_TexCoord[0].st;
  vec2 offset = vec2(stepX, stepY);
  vec3 sum = texture2D(image, uv).rgb * 0.227027;
  sum += texture2D(image, uv + offset * 1.384615).rgb * 0.316216;
  sum += texture2D(image, uv - offset * 1.384615).rgb * 0.316216;
  sum += texture2D(image, uv + offset * 3.230769).rgb * 0.070270;
  sum += texture2D(image, uv - offset * 3.230769).rgb * 0.070270;
  gl_FragColor = vec4(sum, 1.0);
}
